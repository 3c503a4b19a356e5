#!/usr/bin/env python3
"""Writes small, byte-for-byte reproducible PDF files for the tests.

Standard library only. Used by make-fixtures.sh next to this file.

  pdfmake.py text OUT.pdf        text PDF from standard input (UTF-8);
                                 a form feed (U+000C) starts a new page
  pdfmake.py scanned OUT.pdf N   N pages, each only a grey raster image
                                 (looks like a scan, has no text layer)
  pdfmake.py control OUT.pdf     text PDF whose extracted text holds
                                 control characters inside words
  pdfmake.py images OUT.pdf DPI PAGE.pgm...
                                 one page per 8-bit binary PGM image,
                                 DPI pixels to the inch, no text layer
  pdfmake.py nested OUT.pdf LEVELS COPIES
                                 a page of text, then a page drawing a
                                 form that draws the next form COPIES
                                 times, LEVELS deep (COPIES^LEVELS draws
                                 of one letter)
  pdfmake.py looping OUT.pdf     a page tree whose only kid is a node
                                 whose kid is the tree again
  pdfmake.py large OUT.pdf INCHES
                                 one square page INCHES wide holding a
                                 line of text
"""

import sys
import zlib

PAGE_W, PAGE_H = 612, 792  # US Letter, in points
MARGIN = 72
FONT_SIZE = 12
LEADING = 16


class Pdf:
    """Collects numbered objects and writes them with a correct xref table."""

    def __init__(self):
        self.objects = []

    def reserve(self):
        self.objects.append(None)
        return len(self.objects)

    def set(self, num, body):
        self.objects[num - 1] = body

    def add(self, body):
        num = self.reserve()
        self.set(num, body)
        return num

    def add_stream(self, data, extra="", compress=True):
        if compress:
            data = zlib.compress(data, 9)
            extra += " /Filter /FlateDecode"
        head = "<< /Length %d%s >>\nstream\n" % (len(data), extra)
        return self.add(head.encode("latin-1") + data + b"\nendstream")

    def write(self, path, root):
        out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
        offsets = []
        for i, body in enumerate(self.objects, start=1):
            if body is None:
                raise ValueError("object %d was reserved but never set" % i)
            if isinstance(body, str):
                body = body.encode("latin-1")
            offsets.append(len(out))
            out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
        xref = len(out)
        out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(self.objects) + 1)
        for off in offsets:
            out += b"%010d 00000 n \n" % off
        # A fixed /ID keeps the output identical from run to run.
        out += (b"trailer\n<< /Size %d /Root %d 0 R /ID "
                b"[<4f7276616e7461466978747572653031> <4f7276616e7461466978747572653031>] >>\n"
                b"startxref\n%d\n%%%%EOF\n") % (len(self.objects) + 1, root, xref)
        with open(path, "wb") as f:
            f.write(out)


def pdf_string(raw):
    """Literal PDF string for the given bytes."""
    out = bytearray(b"(")
    for b in raw:
        if b in b"()\\":
            out += b"\\" + bytes([b])
        elif b < 32 or b > 126:
            out += b"\\%03o" % b
        else:
            out.append(b)
    return bytes(out + b")")


def build(pdf, page_contents, resources):
    """Adds a page tree for the given content streams; returns the catalog number."""
    pages_num = pdf.reserve()
    kids = []
    for content in page_contents:
        cnum = pdf.add_stream(content)
        kids.append(pdf.add(
            "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %d %d] "
            "/Resources %s /Contents %d 0 R >>"
            % (pages_num, PAGE_W, PAGE_H, resources, cnum)))
    pdf.set(pages_num, "<< /Type /Pages /Kids [%s] /Count %d >>"
            % (" ".join("%d 0 R" % k for k in kids), len(kids)))
    return pdf.add("<< /Type /Catalog /Pages %d 0 R >>" % pages_num)


def text_page(lines):
    body = bytearray(b"BT /F1 %d Tf %d TL %d %d Td\n"
                     % (FONT_SIZE, LEADING, MARGIN, PAGE_H - MARGIN))
    for line in lines:
        body += pdf_string(line.encode("cp1252")) + b" Tj T*\n"
    body += b"ET\n"
    return bytes(body)


def make_text(path, text):
    if text.endswith("\n"):
        text = text[:-1]
    pages = [page.strip("\n").split("\n") for page in text.split("\f")]
    pdf = Pdf()
    font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
                   "/Encoding /WinAnsiEncoding >>")
    root = build(pdf, [text_page(p) for p in pages],
                 "<< /Font << /F1 %d 0 R >> >>" % font)
    pdf.write(path, root)


def make_scanned(path, count):
    # A grey page with dark bars where lines of print would be. Every page
    # differs a little so that no two image streams are identical.
    w, h = 306, 396  # 36 dpi over a Letter page keeps the file small
    pdf = Pdf()
    pages_num = pdf.reserve()
    kids = []
    for n in range(count):
        rows = bytearray()
        for y in range(h):
            line_no = y // 14
            in_line = 40 <= y < h - 40 and y % 14 < 6
            line_end = w - 36 - ((line_no * 37 + n * 13) % 90)
            for x in range(w):
                dark = in_line and 36 <= x < line_end
                rows.append(40 if dark else 235 - ((x + y + n) % 9))
        img = pdf.add_stream(
            bytes(rows),
            " /Type /XObject /Subtype /Image /Width %d /Height %d"
            " /ColorSpace /DeviceGray /BitsPerComponent 8" % (w, h))
        content = pdf.add_stream(b"q %d 0 0 %d 0 0 cm /Im0 Do Q\n" % (PAGE_W, PAGE_H))
        kids.append(pdf.add(
            "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %d %d] "
            "/Resources << /XObject << /Im0 %d 0 R >> >> /Contents %d 0 R >>"
            % (pages_num, PAGE_W, PAGE_H, img, content)))
    pdf.set(pages_num, "<< /Type /Pages /Kids [%s] /Count %d >>"
            % (" ".join("%d 0 R" % k for k in kids), len(kids)))
    root = pdf.add("<< /Type /Catalog /Pages %d 0 R >>" % pages_num)
    pdf.write(path, root)


def make_control(path):
    # The font's ToUnicode map sends each code to the character with the same
    # number, including the control codes 0x01, 0x1B, 0x7F and 0x0B. The page
    # reads "ctrl<01>mark esc<1B>ape del<7F>ete tab<0B>stop end". pdftotext
    # (poppler 22.12) keeps U+0001, U+001B and U+007F inside the words but
    # turns the vertical tab U+000B into a plain space ("tab stop").
    codes = list(range(32, 128)) + [0x01, 0x0B, 0x1B]
    cmap_lines = ["<%02X> <%04X>" % (c, c) for c in codes]
    cmap = ("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
            "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
            "/CMapName /Orvanta-Test-UCS def\n/CMapType 2 def\n"
            "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
            "%d beginbfchar\n%s\nendbfchar\n"
            "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n"
            % (len(cmap_lines), "\n".join(cmap_lines)))
    pdf = Pdf()
    tounicode = pdf.add_stream(cmap.encode("ascii"))
    widths = " ".join("600" for _ in range(256))
    font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier "
                   "/FirstChar 0 /LastChar 255 /Widths [%s] "
                   "/ToUnicode %d 0 R >>" % (widths, tounicode))
    line = b"ctrl\x01mark esc\x1bape del\x7fete tab\x0bstop end"
    content = (b"BT /F1 12 Tf %d %d Td " % (MARGIN, PAGE_H - MARGIN)
               + pdf_string(line) + b" Tj ET\n")
    root = build(pdf, [content], "<< /Font << /F1 %d 0 R >> >>" % font)
    pdf.write(path, root)


def read_pgm(path):
    """Width, height and pixel bytes of an 8-bit binary PGM ("P5")."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":  # a comment runs to the end of its line
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P5" or fields[3] != b"255":
        raise ValueError("%s is not an 8-bit binary PGM" % path)
    w, h = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + w * h]  # one white-space byte ends the header
    if len(pixels) != w * h:
        raise ValueError("%s is cut short" % path)
    return w, h, pixels


def make_images(path, dpi, image_paths):
    # Each page is exactly as large as its image at the given resolution, so a
    # renderer working at that resolution gets the pixels back one to one.
    pdf = Pdf()
    pages_num = pdf.reserve()
    kids = []
    for image_path in image_paths:
        w, h, pixels = read_pgm(image_path)
        page_w, page_h = w * 72.0 / dpi, h * 72.0 / dpi
        img = pdf.add_stream(
            pixels,
            " /Type /XObject /Subtype /Image /Width %d /Height %d"
            " /ColorSpace /DeviceGray /BitsPerComponent 8" % (w, h))
        content = pdf.add_stream(b"q %.4f 0 0 %.4f 0 0 cm /Im0 Do Q\n" % (page_w, page_h))
        kids.append(pdf.add(
            "<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %.4f %.4f] "
            "/Resources << /XObject << /Im0 %d 0 R >> >> /Contents %d 0 R >>"
            % (pages_num, page_w, page_h, img, content)))
    pdf.set(pages_num, "<< /Type /Pages /Kids [%s] /Count %d >>"
            % (" ".join("%d 0 R" % k for k in kids), len(kids)))
    root = pdf.add("<< /Type /Catalog /Pages %d 0 R >>" % pages_num)
    pdf.write(path, root)


def make_nested(path, levels, copies):
    # Each form draws the one below it COPIES times; only the last draws text.
    pdf = Pdf()
    font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    form = pdf.add_stream(
        b"BT /F1 1 Tf (x) Tj ET",
        " /Type /XObject /Subtype /Form /BBox [0 0 10 10]"
        " /Resources << /Font << /F1 %d 0 R >> >>" % font)
    for _ in range(levels):
        form = pdf.add_stream(
            b"/X Do " * copies,
            " /Type /XObject /Subtype /Form /BBox [0 0 10 10]"
            " /Resources << /XObject << /X %d 0 R >> >>" % form)
    first = text_page(["This page comes before the nested forms."])
    root = build(pdf, [first, b"/X Do\n"],
                 "<< /Font << /F1 %d 0 R >> /XObject << /X %d 0 R >> >>" % (font, form))
    pdf.write(path, root)


def make_looping(path):
    pdf = Pdf()
    pages_num = pdf.reserve()
    inner = pdf.add("<< /Type /Pages /Parent %d 0 R /Kids [%d 0 R] /Count 1 >>"
                    % (pages_num, pages_num))
    pdf.set(pages_num, "<< /Type /Pages /Kids [%d 0 R] /Count 1 >>" % inner)
    root = pdf.add("<< /Type /Catalog /Pages %d 0 R >>" % pages_num)
    pdf.write(path, root)


def make_large(path, inches):
    side = inches * 72
    pdf = Pdf()
    font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    pages_num = pdf.reserve()
    content = pdf.add_stream(b"BT /F1 %d Tf 72 %d Td (A very large page) Tj ET\n"
                             % (side // 20, side // 2))
    page = pdf.add("<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %d %d] "
                   "/Resources << /Font << /F1 %d 0 R >> >> /Contents %d 0 R >>"
                   % (pages_num, side, side, font, content))
    pdf.set(pages_num, "<< /Type /Pages /Kids [%d 0 R] /Count 1 >>" % page)
    root = pdf.add("<< /Type /Catalog /Pages %d 0 R >>" % pages_num)
    pdf.write(path, root)


def main(argv):
    if len(argv) >= 3 and argv[1] == "text":
        make_text(argv[2], sys.stdin.buffer.read().decode("utf-8"))
    elif len(argv) == 4 and argv[1] == "scanned":
        make_scanned(argv[2], int(argv[3]))
    elif len(argv) == 3 and argv[1] == "control":
        make_control(argv[2])
    elif len(argv) >= 5 and argv[1] == "images":
        make_images(argv[2], int(argv[3]), argv[4:])
    elif len(argv) == 5 and argv[1] == "nested":
        make_nested(argv[2], int(argv[3]), int(argv[4]))
    elif len(argv) == 3 and argv[1] == "looping":
        make_looping(argv[2])
    elif len(argv) == 4 and argv[1] == "large":
        make_large(argv[2], int(argv[3]))
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
