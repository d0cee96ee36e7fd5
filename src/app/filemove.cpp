#include "app/filemove.h"

#include "app/frmmain.h"

#include <QEvent>

namespace {

class MoveHook final : public QObject
{
    Q_OBJECT
public:
    explicit MoveHook(FrmMain &main) : QObject(&main), m_main(main) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The window's position is already updated when its move event is
        // delivered, so the browser is placed from where the window now stands.
        if (watched == &m_main && event->type() == QEvent::Move)
            m_main.PositionMediaBrowser();
        return false;
    }

private:
    FrmMain &m_main;
};

} // namespace

void InstallMoveHook(FrmMain &main)
{
    main.installEventFilter(new MoveHook(main));
}

#include "filemove.moc"
