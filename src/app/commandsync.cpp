#include "app/commandsync.h"

#include "app/application.h"
#include "app/commandline.h"
#include "app/exitstatus.h"
#include "audio/audioworkers.h"
#include "core/folderpath.h"
#include "core/synclist.h"
#include "platform/ansicodepage.h"
#include "platform/terminal.h"
#include "transfer/sendchoice.h"
#include "transfer/syncsession.h"

#include <cstdio>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTime>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// A heading and its lines, indented, when there are lines.
void printList(std::FILE *stream, const QString &heading, const QStringList &lines)
{
    if (!lines.isEmpty())
        print(stream, heading + u"\n  "_s + lines.join(u"\n  "_s) + u'\n');
}

// Follows a sync on the terminal and ends the event loop with its status.
class TerminalSync : public QObject
{
public:
    TerminalSync(bool dryRun, bool removals, bool manyRemovals, Language language,
                 const QString &shownFolder)
        : m_dryRun(dryRun), m_removals(removals), m_manyRemovals(manyRemovals),
          m_language(language), m_shownFolder(shownFolder), m_rewrite(platform::isTerminal(stdout))
    {
        connect(&m_session, &SyncSession::planned, this, &TerminalSync::planned);
        connect(&m_session, &SyncSession::progressed, this, &TerminalSync::progressed);
        connect(&m_session, &SyncSession::finished, this, &TerminalSync::sessionFinished);
        // The line of a terminal is rewritten on a clock, so the time left moves
        // during a long conversion too.
        m_ticker.setInterval(500);
        connect(&m_ticker, &QTimer::timeout, this, &TerminalSync::showProgress);
    }

    void start(const QString &folder, std::unique_ptr<VolumeRoot> volume,
               const QList<SyncEntry> &list)
    {
        const sendchoice::Choice choice = sendchoice::remembered();
        m_emptyList = list.isEmpty();
        // The PSP is looked for where it was, as the window's notifier would:
        // gone, or another volume there, the run stops rather than writing
        // into nothing.
        m_folder = folder;
        m_device = volume->device();
        connect(&m_watch, &QTimer::timeout, this, &TerminalSync::watch);
        m_watch.start(250);
        m_session.start(std::move(volume), list, platform::systemAnsiCodePage(), choice.format,
                        choice.quality, m_language);
    }

private:
    QString text(const Phrase &phrase) const { return phrase.in(m_language); }
    QString size(qint64 bytes) const { return sizeText(bytes, m_language); }

    void exit(ExitStatus status) { QCoreApplication::exit(exitCode(status)); }

    void watch()
    {
        const std::unique_ptr<VolumeRoot> now = VolumeRoot::open(m_folder);
        if (now && now->device() == m_device)
            return;
        m_watch.stop();
        // Ended at once, as the window ends it: nothing is left to write to.
        const std::optional<PspOwner::Tally> tally = m_owner.leave();
        m_ticker.stop();
        if (m_progressShown)
            print(stdout, u"\r\x1b[K"_s);
        const int sent = tally ? tally->sent : 0;
        const int planned = tally ? tally->planned : int(m_session.outline().toSend);
        print(stderr,
              texts::syncUnplugged.in(sent, m_language).arg(std::max(planned - sent, 0)) + u'\n');
        exit(ExitStatus::Failed);
    }

    void planned()
    {
        if (const QString failure = m_session.failure(); !failure.isEmpty()) {
            print(stderr, failure + u'\n');
            const SyncSession::Refusal refusal = m_session.refusal();
            exit(refusal == SyncSession::Refusal::Busy          ? ExitStatus::Busy
                 : refusal == SyncSession::Refusal::NewerRecord ? ExitStatus::NewerRecord
                                                                : ExitStatus::Failed);
            return;
        }
        const SyncOutline plan = m_session.outline();
        if (plan.recordRecovered)
            print(stderr, text(texts::syncRecordRecovered) + u'\n');
        const bool nothingSeenToDo = !plan.unavailable.isEmpty() && plan.toSend == 0 &&
                                     plan.playlists == 0 && plan.removals.isEmpty() &&
                                     plan.stalePlaylists.isEmpty();
        if (m_session.upToDate() || nothingSeenToDo) {
            // An empty list that took nothing off either was never made.
            if (m_emptyList) {
                print(stderr, text(texts::syncNothingKept).arg(m_shownFolder) + u'\n');
                exit(ExitStatus::Failed);
                return;
            }
            print(stdout, text(texts::syncUpToDate) + u'\n');
            printUnseen(plan);
            exit(plan.unavailable.isEmpty() ? ExitStatus::Done : ExitStatus::Unavailable);
            return;
        }
        print(stdout, plan.summary(m_language) + u'\n');
        if (m_dryRun)
            printList(stdout, text(texts::syncToSend), plan.sendingLines(m_language));
        // More than half of what the list keeps there goes only with a word
        // of its own: a list emptied by mistake is not followed blindly.
        m_heldMany = m_removals && plan.manyRemovals() && !m_manyRemovals;
        const bool removing = m_removals && !m_heldMany;
        printList(stdout, text(removing ? texts::syncToRemove : texts::syncWouldRemove),
                  plan.removalLines(m_language));
        if (m_heldMany)
            print(stderr,
                  text(texts::syncManyRemovals).arg(plan.removals.size()).arg(plan.keptThere) +
                      u'\n');
        QStringList replaced;
        for (const QString &file : plan.replaced)
            replaced.append(QDir::toNativeSeparators(file));
        printList(stdout, text(texts::syncReplaced), replaced);
        if (removing)
            printList(stdout, text(texts::syncStalePlaylists), plan.stalePlaylists);
        if (m_dryRun)
            printList(stdout, text(texts::syncToWrite), plan.playlistFiles);
        for (const QString &playlist : plan.changedPlaylists)
            print(stdout, text(texts::syncChangedKept).arg(playlist) + u'\n');
        printUnseen(plan);
        if (plan.wontFit > 0)
            print(stderr,
                  texts::syncWontFit.in(plan.wontFit, m_language).arg(size(plan.wontFitBytes)) +
                      u'\n');
        m_unavailable = !plan.unavailable.isEmpty();
        if (m_dryRun) {
            exit(ExitStatus::Done);
            return;
        }
        m_session.go(removing ? SyncSession::Removals::All : SyncSession::Removals::None);
    }

    // What the sync cannot see, so it is not taken for done.
    void printUnseen(const SyncOutline &plan)
    {
        printList(stderr, text(texts::syncUnavailable), plan.unavailableLines(m_language));
        printList(stderr, text(texts::syncNotFound), plan.notFoundLines());
    }

    void progressed()
    {
        const SendRun *run = m_session.run();
        if (!run || run == m_followed)
            return;
        m_followed = run;
        m_clock.start();
        if (m_rewrite)
            m_ticker.start();
        else
            connect(run, &SendRun::trackEnded, this, &TerminalSync::trackEnded);
        showProgress();
    }

    // Where each rewrite would stay, a line per track sent.
    void trackEnded(int index)
    {
        const SendRun *run = m_session.run();
        const std::optional<TrackEnding> ending = run ? run->ending(index) : std::nullopt;
        if (!ending || ending->outcome != TrackOutcome::Sent)
            return;
        print(stdout, text(texts::syncTrackDone)
                              .arg(run->tracksDone())
                              .arg(run->tracksQueued())
                              .arg(QDir::toNativeSeparators(m_session.sources().at(index).path),
                                   size(m_session.sendPlan().tracks.at(index).bytes)) +
                          u'\n');
    }

    void showProgress()
    {
        const SendRun *run = m_session.run();
        if (!m_rewrite || !run || run->state() != SendRun::State::Sending)
            return;
        QString track;
        qint64 bytes = 0;
        if (!run->inFlight().isEmpty()) {
            const int index = run->inFlight().constFirst();
            track = QFileInfo(m_session.sources().at(index).path).fileName();
            bytes = m_session.sendPlan().tracks.at(index).bytes;
        }
        const qint64 total = run->bytesTotal();
        const double fraction = total > 0 ? double(run->bytesDone()) / double(total) : 0;
        const qint64 msLeft =
            fraction <= 0
                ? -1
                : qint64(double(m_clock.elapsed()) * (1 - std::min(fraction, 1.0)) / fraction);
        const QString left = msLeft < 0
                                 ? u"?"_s
                                 : QTime(0, 0)
                                       .addMSecs(int(msLeft))
                                       .toString(msLeft >= 3600000 ? u"h:mm:ss"_s : u"m:ss"_s);
        // Erases what a longer line left behind.
        print(stdout, u'\r' +
                          text(texts::syncProgress)
                              .arg(std::min(run->tracksDone() + 1, run->tracksQueued()))
                              .arg(run->tracksQueued())
                              .arg(track, size(bytes), left) +
                          u"\x1b[K"_s);
        m_progressShown = true;
    }

    void sessionFinished()
    {
        m_ticker.stop();
        if (m_progressShown)
            print(stdout, u"\r\x1b[K"_s);
        const SyncSession::Summary &summary = m_session.summary();
        print(stdout, summary.report(m_language) + u'\n');
        if (!summary.problems.isEmpty())
            print(stderr,
                  text(texts::syncNotDone) + u"\n  "_s + summary.problems.join(u"\n  "_s) + u'\n');
        // Held for --delete-many, that was said with the plan.
        if (summary.held > 0 && !m_heldMany)
            print(stderr, texts::syncRemovalsHeld.in(summary.held, m_language) + u'\n');
        exit(!summary.problems.isEmpty() ? ExitStatus::Failed
             : m_unavailable             ? ExitStatus::Unavailable
             : summary.held > 0          ? ExitStatus::RemovalsHeld
                                         : ExitStatus::Done);
    }

    AudioWorkers m_workers;
    PspOwner m_owner;
    SyncSession m_session{m_workers, m_owner};
    QString m_folder;
    QString m_device;
    QTimer m_watch;
    bool m_dryRun;
    bool m_removals;
    bool m_manyRemovals;
    // Removals held for --delete-many.
    bool m_heldMany = false;
    Language m_language;
    QString m_shownFolder;
    bool m_rewrite;
    bool m_emptyList = false;
    bool m_unavailable = false;
    bool m_progressShown = false;
    const SendRun *m_followed = nullptr;
    QElapsedTimer m_clock;
    QTimer m_ticker;
};

} // namespace

std::optional<int> answerSyncOption(int argc, char *argv[])
{
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || qstrcmp(argv[i], "--sync") == 0 || qstrncmp(argv[i], "--sync=", 7) == 0;
    if (!asked)
        return std::nullopt;
    QCoreApplication application(argc, argv);
    const Language language = commandLineLanguage();
    // The folder is whichever argument is not an option, before or after them.
    const QCommandLineOption sync(u"sync"_s);
    const QCommandLineOption dryRun(u"dry-run"_s);
    const QCommandLineOption removals(u"delete"_s);
    const QCommandLineOption manyRemovals(u"delete-many"_s);
    const QCommandLineOption verbose(u"verbose"_s);
    QCommandLineParser parser;
    parser.addOptions({sync, dryRun, removals, manyRemovals, verbose});
    if (!parser.parse(splitSyncValue(QCoreApplication::arguments())) ||
        parser.positionalArguments().size() != 1) {
        print(stderr, texts::syncUsage.in(language) + u'\n');
        return exitCode(ExitStatus::Usage);
    }
    // The audio helpers' own warnings (a timestamp FFmpeg could not
    // update) are for whoever looks into a track, not for a script's log.
    if (!parser.isSet(verbose))
        QLoggingCategory::setFilterRules(u"zarvello.audio.warning=false"_s);
    const QString folder = folderpath::fromArgument(parser.positionalArguments().constFirst());
    // A PSP without an identity has no list: nothing is written on it.
    PspOpened psp = openPspFolder(folder, language, false);
    if (!psp.root) {
        print(stderr, psp.why + u'\n');
        return exitCode(ExitStatus::Failed);
    }
    const SyncList list = psp.identity.isEmpty() ? SyncList() : synclist::load(psp.identity);
    TerminalSync terminal(parser.isSet(dryRun), parser.isSet(removals), parser.isSet(manyRemovals),
                          language, QDir::toNativeSeparators(psp.folder));
    terminal.start(psp.folder, std::move(psp.root), list.entries());
    return QCoreApplication::exec();
}
