#include "about/frmabout.h"
#include "browser/filebrowse.h"
#include "controls/button.h"
#include "controls/languageflag.h"
#include "controls/messagebox.h"
#include "playlist/typingerror.h"
#include "send/senddialogs.h"
#include "support/fakes.h"
#include "support/pspdrive.h"
#include "sync/keepdialog.h"
#include "sync/syncplandialog.h"
#include "transfer/sendplan.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStyleOptionTitleBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString describe(const QWidget &control, const QString &text, const QSize &needed,
                 const QRect &room)
{
    return u"%1 \"%2\" needs %3x%4, has %5x%6"_s.arg(control.objectName(), text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

// Text that wraps must fit the room in both directions; a single line is
// measured across.
QString overflow(const QWidget &control, const QString &text, const QRect &room, int flags)
{
    const QFontMetrics metrics = control.fontMetrics();
    const QSize needed = (flags & Qt::TextWordWrap) ? metrics.boundingRect(room, flags, text).size()
                                                    : QSize(metrics.size(flags, text).width(), 0);
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return {};
    return describe(control, text, needed, room);
}

QString labelOverflow(const QLabel &label)
{
    const int wrap = label.wordWrap() ? Qt::TextWordWrap : 0;
    // A label shows its buddy's access key as a button does.
    const int flags = int(label.alignment()) | (label.buddy() ? Qt::TextShowMnemonic : 0);
    return overflow(label, label.text(), label.contentsRect(), flags | wrap);
}

QString buttonOverflow(const QPushButton &button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    if (button.isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    QRect room = button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    int flags = Qt::TextShowMnemonic;
    // A Button wraps a caption that is too wide: its lines must fit its height.
    if (const auto *wrapping = qobject_cast<const Button *>(&button)) {
        room = wrapping->captionArea();
        if (button.fontMetrics().horizontalAdvance(button.text()) > room.width())
            flags |= Qt::TextWordWrap | Qt::AlignCenter;
    }
    return overflow(button, button.text(), room, flags);
}

QStringList menuBarOverflows(QMenuBar &bar)
{
    QStringList overflows;
    for (QAction *action : bar.actions()) {
        // An item that does not fit the bar is left out of it, into a "»" menu.
        const QRect item = bar.actionGeometry(action);
        const QSize needed = bar.fontMetrics().size(Qt::TextShowMnemonic, action->text());
        if (item.isEmpty() || !bar.rect().contains(item) || needed.width() > item.width())
            overflows.append(describe(bar, action->text(), needed, item));
    }
    return overflows;
}

// The caption beside the title bar's buttons, in the bold system font title
// bars are drawn with.
QString captionOverflow(const QWidget &window)
{
    QStyleOptionTitleBar option;
    option.initFrom(&window);
    option.rect = QRect(0, 0, window.frameGeometry().width(),
                        window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, &window));
    option.titleBarFlags = window.windowFlags();
    option.text = window.windowTitle();
    const QRect room =
        window.style()->subControlRect(QStyle::CC_TitleBar, &option, QStyle::SC_TitleBarLabel);
    QFont bold = QApplication::font();
    bold.setBold(true);
    const int needed = QFontMetrics(bold).horizontalAdvance(window.windowTitle());
    if (needed <= room.width())
        return {};
    return describe(window, window.windowTitle(), QSize(needed, 0), room);
}

QWidget &windowNamed(TestMainWindow &main, const QString &name)
{
    if (name == u"sendplan") {
        auto *dialog = new SendPlanDialog(&*main, LanguageFlag(*main->controls().Text2).language());
        // Tracks in another format, and one track of two fits: every control shows.
        SendPlan plan;
        plan.tracks = {{SendMethod::Copy, false, {}, {}, 1, false, {}}};
        plan.otherFormat = plan.copies = plan.bytes = 2;
        dialog->showPlan(plan, 1, 1);
        return *dialog;
    }
    if (name == u"syncplan") {
        // Tracks to remove, some a playlist of the user's names, and a
        // playlist changed on the PSP: every control shows.
        auto *dialog = new SyncPlanDialog(&*main, LanguageFlag(*main->controls().Text2).language());
        RecordedTrack track{{}, {}, u"Ann - Hits/01 Song.mp3"_s, 1, true};
        SyncOutline plan;
        plan.toSend = 2;
        plan.bytes = 1;
        plan.alreadyThere = 3;
        plan.removals = {{track, {}}, {track, {u"Mine.m3u8"_s}}};
        plan.playlists = 1;
        plan.freeBytes = 9;
        plan.changedPlaylists = {u"Road.m3u8"_s};
        dialog->showPlan(plan);
        return *dialog;
    }
    if (name == u"frmAbout")
        return main->forms().frmAbout();
    if (name == u"filebrowse")
        return main->forms().filebrowse();
    if (name == u"typingerror")
        return main->forms().typingerror();
    if (name == u"keep") {
        main->controls().menus.keep->trigger();
        return *main->findChild<KeepDialog *>();
    }
    return *main;
}

} // namespace

// Every label, button, menu-bar item and window caption shows its whole text,
// in both languages, with the fonts the program ships or depends on.
class TestTextsFit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyTextFits_data();
    void everyTextFits();
    void aLongReportFitsTheScreen();
};

void TestTextsFit::everyTextFits_data()
{
    QTest::addColumn<int>("langId");
    QTest::addColumn<QString>("window");
    const std::pair<int, const char *> languages[] = {{0x040C, "French"}, {0x0409, "English"}};
    const char *const windows[] = {"frmMain", "frmAbout", "filebrowse", "typingerror",
                                   "keep",    "sendplan", "syncplan"};
    for (const auto &[langId, language] : languages) {
        for (const char *window : windows)
            QTest::addRow("%s %s", language, window) << langId << QString::fromLatin1(window);
    }
}

void TestTextsFit::everyTextFits()
{
    QFETCH(int, langId);
    QFETCH(QString, window);
    PspDrive drive;
    TestMainWindow main{quint16(langId)};
    drive.plugInto(main);
    QWidget &shown = windowNamed(main, window);
    shown.show();
    QVERIFY(QTest::qWaitForWindowExposed(&shown));

    // Hidden controls count too: each is shown in some layout of its window.
    QStringList overflows;
    for (const QLabel *label : shown.findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            overflows.append(labelOverflow(*label));
    }
    for (const QPushButton *button : shown.findChildren<QPushButton *>())
        overflows.append(buttonOverflow(*button));
    if (auto *mainWindow = qobject_cast<QMainWindow *>(&shown))
        overflows.append(menuBarOverflows(*mainWindow->menuBar()));
    overflows.append(captionOverflow(shown));
    overflows.removeAll(QString());
    QVERIFY2(overflows.isEmpty(), qPrintable(overflows.join(u"\n"_s)));
}

void TestTextsFit::aLongReportFitsTheScreen()
{
    QStringList lines;
    for (int i = 0; i < 100; ++i)
        lines.append(
            u"/home/user/Music/A rather long artist name/An album/%1 damaged.flac"_s.arg(i));
    const std::unique_ptr<QDialog> box =
        messagebox::reportDialog(nullptr, u"Not sent: 100."_s, lines, QMessageBox::Warning);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    // Every line is there to scroll to, as it was written, and OK is on the screen.
    QCOMPARE(box->findChild<QPlainTextEdit *>()->toPlainText(), lines.join(u'\n'));
    QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(box->frameGeometry()));
}

QTEST_MAIN(TestTextsFit)
#include "tst_textsfit.moc"
