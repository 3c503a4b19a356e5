#pragma once

#include <QLabel>

namespace orvanta {

// A one-line label that never cuts its text off at the end: what does not fit is elided in the
// middle, and the whole text is then its tooltip. text() is always the whole text.
class ElidedLabel final : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    // The text as drawn at the label's present width.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};

} // namespace orvanta
