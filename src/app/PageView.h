#pragma once

#include "base/Result.h"
#include "results/PhrasePage.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QScrollArea;

namespace orvanta {

class BackgroundJob;
class DialogService;

// The page of a chosen occurrence, drawn off the window thread with the phrase marked, and a
// button that opens the PDF in the desktop's viewer.
class PageView final : public QWidget {
    Q_OBJECT
public:
    PageView(DialogService &dialogs, QString title, QWidget *parent = nullptr);
    ~PageView() override;

    // What opens a PDF for the user; the desktop's viewer by default.
    void setOpener(std::function<bool(const QString &)> open) { m_open = std::move(open); }
    void showPage(const QString &path, int page, const QString &phrase, int place);
    void clear();
    void stop();

    const QString &path() const { return m_path; }
    bool hasImage() const;

signals:
    // The page is drawn, or it is said why it cannot be.
    void pageShown();

private:
    struct Request {
        QString path;
        int page = 0;
        QString phrase;
        int place = 0;
    };

    void draw(const Request &request);
    void finishDrawing();
    void openPdf();

    DialogService &m_dialogs;
    QString m_title;
    std::function<bool(const QString &)> m_open;
    QLabel *m_caption = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_image = nullptr;
    QPushButton *m_openButton = nullptr;
    BackgroundJob *m_job = nullptr;
    QString m_path;
    std::optional<Request> m_pending;
    std::shared_ptr<std::optional<Result<PhrasePage>>> m_drawn;
    Request m_drawing;
};

} // namespace orvanta
