#pragma once

#include <QProgressBar>

// A progress bar that shows its caption exactly as given: QProgressBar's format would expand
// "%p", "%v" and "%m" inside a file name and offers no way to escape them.
class CaptionProgressBar final : public QProgressBar {
public:
    explicit CaptionProgressBar(QWidget *parent = nullptr) : QProgressBar(parent) { }

    void setCaption(const QString &caption)
    {
        m_caption = caption;
        update();
    }
    QString text() const override { return m_caption; }

private:
    QString m_caption;
};
