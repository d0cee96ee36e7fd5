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
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

void print(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
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
        connect(&m_session, &SyncSession::finished, this, &TerminalSync::finished);
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

    void watch()
    {
        const std::unique_ptr<VolumeRoot> now = VolumeRoot::open(m_folder);
        if (now && now->device() == m_device)
            return;
        m_watch.stop();
        m_unplugged = true;
        m_session.cancel();
    }

    static void printList(std::FILE *stream, const QString &heading, const QStringList &lines)
    {
        if (!lines.isEmpty())
            print(stream, heading + u"\n  "_s + lines.join(u"\n  "_s) + u'\n');
    }

    void planned()
    {
        if (const QString failure = m_session.failure(); !failure.isEmpty()) {
            print(stderr, failure + u'\n');
            const SyncSession::Refusal refusal = m_session.refusal();
            QCoreApplication::exit(exitCode(refusal == SyncSession::Refusal::Busy ? ExitStatus::Busy
                                            : refusal == SyncSession::Refusal::NewerRecord
                                                ? ExitStatus::NewerRecord
                                                : ExitStatus::Failed));
            return;
        }
        const SyncOutline plan = m_session.outline();
        QStringList unavailable;
        for (const SyncOutline::Unavailable &entry : plan.unavailable)
            unavailable.append(text(texts::reasonLine).arg(entry.entry, entry.why));
        printList(stderr, text(texts::syncUnavailableHeading), unavailable);
        QStringList notFound;
        for (const QString &track : plan.notFound)
            notFound.append(QDir::toNativeSeparators(track));
        printList(stderr, text(texts::syncNotFoundHeading), notFound);
        if (plan.recordRecovered)
            print(stderr, text(texts::syncRecordRecovered) + u'\n');
        m_unavailable = !plan.unavailable.isEmpty();
        if (m_session.upToDate() || (m_unavailable && plan.toSend == 0 && plan.playlists == 0 &&
                                     plan.removals.isEmpty() && plan.stalePlaylists.isEmpty())) {
            // An empty list that took nothing off either was never made.
            if (m_emptyList)
                print(stderr, text(texts::syncNothingKept).arg(m_shownFolder) + u'\n');
            else
                print(stdout, text(texts::syncUpToDate) + u'\n');
            QCoreApplication::exit(exitCode(m_emptyList     ? ExitStatus::Failed
                                            : m_unavailable ? ExitStatus::Unavailable
                                                            : ExitStatus::Done));
            return;
        }
        print(stdout, plan.summary(m_language) + u'\n');
        // More than half of what the list keeps there goes only with a word
        // of its own: a list emptied by mistake is not followed blindly.
        m_heldMany = m_removals && plan.manyRemovals() && !m_manyRemovals;
        if (!plan.removals.isEmpty())
            print(stdout,
                  text(m_removals && !m_heldMany ? texts::syncToRemove : texts::syncWouldRemove) +
                      u"\n  "_s + plan.removalLines(m_language).join(u"\n  "_s) + u'\n');
        if (m_heldMany)
            print(stderr,
                  text(texts::syncManyRemovals).arg(plan.removals.size()).arg(plan.keptThere) +
                      u'\n');
        QStringList replaced;
        for (const QString &file : plan.replaced)
            replaced.append(QDir::toNativeSeparators(file));
        printList(stdout, text(texts::syncReplacedHeading), replaced);
        if (m_removals && !m_heldMany)
            printList(stdout, text(texts::syncStaleHeading), plan.stalePlaylists);
        for (const QString &playlist : plan.changedPlaylists)
            print(stdout, text(texts::syncChangedKept).arg(playlist) + u'\n');
        if (m_dryRun) {
            QCoreApplication::exit(0);
            return;
        }
        m_session.go(m_removals && !m_heldMany ? SyncSession::Removals::All
                                               : SyncSession::Removals::None,
                     false);
    }

    void progressed()
    {
        const SendRun *run = m_session.run();
        if (!m_rewrite || !run)
            return;
        print(stdout,
              u'\r' + text(texts::syncProgress).arg(run->tracksDone()).arg(run->tracksQueued()));
        m_progressShown = true;
    }

    void finished()
    {
        if (m_progressShown)
            print(stdout, u"\n"_s);
        const SyncSession::Summary &summary = m_session.summary();
        if (m_unplugged) {
            const qsizetype planned = m_session.outline().toSend;
            print(stderr, text(texts::syncUnplugged)
                                  .arg(summary.sent)
                                  .arg(std::max<qsizetype>(planned - summary.sent, 0)) +
                              u'\n');
            QCoreApplication::exit(exitCode(ExitStatus::Failed));
            return;
        }
        print(stdout,
              text(texts::syncDone).arg(summary.sent).arg(summary.removed).arg(summary.playlists) +
                  u'\n');
        QStringList problems = summary.problems;
        const bool held = (!m_removals || m_heldMany) && !m_session.decision().removals.isEmpty();
        if (held && !m_heldMany)
            problems.append(
                text(texts::syncRemovalsHeld).arg(m_session.decision().removals.size()));
        if (!problems.isEmpty())
            print(stderr, text(texts::syncNotDone) + u"\n  "_s + problems.join(u"\n  "_s) + u'\n');
        const ExitStatus status = problems.size() > (held && !m_heldMany ? 1 : 0)
                                      ? ExitStatus::Failed
                                  : held          ? ExitStatus::RemovalsHeld
                                  : m_unavailable ? ExitStatus::Unavailable
                                                  : ExitStatus::Done;
        QCoreApplication::exit(exitCode(status));
    }

    AudioWorkers m_workers;
    SyncSession m_session{m_workers};
    QString m_folder;
    QString m_device;
    QTimer m_watch;
    bool m_unplugged = false;
    bool m_dryRun;
    bool m_removals;
    bool m_manyRemovals;
    bool m_unavailable = false;
    // Removals held for --delete-many.
    bool m_heldMany = false;
    Language m_language;
    QString m_shownFolder;
    bool m_rewrite;
    bool m_emptyList = false;
    bool m_progressShown = false;
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
    const QCommandLineOption sync(u"sync"_s, {}, u"folder"_s);
    const QCommandLineOption dryRun(u"dry-run"_s);
    const QCommandLineOption removals(u"delete"_s);
    const QCommandLineOption manyRemovals(u"delete-many"_s);
    QCommandLineParser parser;
    parser.addOptions({sync, dryRun, removals, manyRemovals});
    if (!parser.parse(QCoreApplication::arguments()) || parser.values(sync).size() != 1 ||
        !parser.positionalArguments().isEmpty()) {
        print(stderr, texts::syncUsage.in(language) + u'\n');
        return 2;
    }
    const QString folder = folderpath::fromArgument(parser.value(sync));
    // A PSP without an identity has no list: nothing is written on it.
    PspOpened psp = openPspFolder(folder, language, false);
    if (!psp.root) {
        print(stderr, psp.why + u'\n');
        return 1;
    }
    const SyncList list = psp.identity.isEmpty() ? SyncList() : synclist::load(psp.identity);
    TerminalSync terminal(parser.isSet(dryRun), parser.isSet(removals), parser.isSet(manyRemovals),
                          language, QDir::toNativeSeparators(folder));
    terminal.start(folder, std::move(psp.root), list.entries());
    return QCoreApplication::exec();
}
