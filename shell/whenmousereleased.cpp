#include "shell/whenmousereleased.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>

namespace {

// Waits, owned by the context, for the release of the last button held.
class ReleaseWatch final : public QObject {
public:
    ReleaseWatch(QObject *context, std::function<void()> action)
        : QObject(context), m_action(std::move(action))
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton) {
            QCoreApplication::instance()->removeEventFilter(this);
            QMetaObject::invokeMethod(parent(), std::move(m_action), Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

void whenMouseReleased(QObject *context, std::function<void()> action)
{
    if (QGuiApplication::mouseButtons() == Qt::NoButton)
        QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
    else
        new ReleaseWatch(context, std::move(action));
}
