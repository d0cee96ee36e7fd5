#include "app/commandline.h"

#include "app/application.h"
#include "app/exitstatus.h"
#include "core/folderpath.h"
#include "core/sendrecord.h"
#include "core/storagelayout.h"
#include "core/synclist.h"
#include "core/writerlock.h"
#include "platform/volumeroot.h"

#include <algorithm>
#include <cstdio>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

using namespace Qt::StringLiterals;

namespace {

// "--keep", "-keep", "--keep=PATH": the options this answers.
bool asksForList(const QString &argument)
{
    QString name = argument;
    if (!name.startsWith(u'-'))
        return false;
    while (name.startsWith(u'-'))
        name.remove(0, 1);
    name = name.section(u'=', 0, 0);
    return name == u"keep" || name == u"forget";
}

CommandLineAnswer failure(const QString &why, ExitStatus status = ExitStatus::Failed)
{
    return {exitCode(status), {}, why + u'\n'};
}

// The options of the program, and Qt's own, which a window start takes.
QList<QCommandLineOption> knownOptions()
{
    QList<QCommandLineOption> options;
    for (const char *flag :
         {"h", "help", "v", "version", "dry-run", "delete", "delete-many", "verbose", "sync",
          "reverse", "widgetcount", "nograb", "dograb", "cmap"})
        options.append(QCommandLineOption(QString::fromLatin1(flag)));
    for (const char *valued :
         {"keep",          "forget",      "platform",      "platformpluginpath",
          "platformtheme", "plugin",      "qmljsdebugger", "qwindowgeometry",
          "geometry",      "qwindowicon", "icon",          "qwindowtitle",
          "title",         "display",     "session",       "style",
          "stylesheet",    "name",        "visual",        "ncols"})
        options.append(QCommandLineOption(QString::fromLatin1(valued), {}, u"value"_s));
    return options;
}

// The folder itself when it is a PSP's root, else the nearest folder above
// it on the same volume that is: a folder within a PSP names that PSP. Not
// above the volume's mount point, so that a folder named PSP elsewhere on
// the computer is never taken for one.
QString pspRootOf(const QString &folder)
{
    const QString mountPoint = QDir::cleanPath(QStorageInfo(folder).rootPath());
    QString candidate = QDir::cleanPath(QDir(folder).absolutePath());
    while (true) {
        if (QFileInfo(candidate + u"/PSP"_s).isDir())
            return candidate;
        const QString parent = QFileInfo(candidate).path();
        if (candidate == mountPoint || mountPoint.isEmpty() || parent == candidate)
            return folder;
        candidate = parent;
    }
}

} // namespace

QStringList splitSyncValue(const QStringList &arguments)
{
    QStringList split;
    for (const QString &argument : arguments) {
        if (argument.startsWith(u"--sync="_s))
            split << u"--sync"_s << argument.mid(7);
        else
            split << argument;
    }
    return split;
}

std::optional<CommandLineAnswer> misuseOf(const QStringList &arguments, Language language)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(knownOptions());
    const QStringList split = splitSyncValue(arguments);
    parser.parse(split);
    if (const QStringList unknown = parser.unknownOptionNames(); !unknown.isEmpty()) {
        // Said as it was typed, with its dashes.
        QString typed = u"--"_s + unknown.constFirst();
        for (const QString &argument : split) {
            const QString name = argument.section(u'=', 0, 0);
            if (name.startsWith(u'-') &&
                QStringView(name).mid(name.startsWith(u"--"_s) ? 2 : 1) == unknown.constFirst())
                typed = name;
        }
        return failure(texts::unknownOption.in(language).arg(typed), ExitStatus::Usage);
    }
    if (!parser.errorText().isEmpty())
        return failure(texts::syncUsage.in(language), ExitStatus::Usage);
    const bool syncing = parser.isSet(u"sync"_s);
    if (!syncing &&
        (parser.isSet(u"dry-run"_s) || parser.isSet(u"delete"_s) || parser.isSet(u"delete-many"_s)))
        return failure(texts::syncOptionsAlone.in(language), ExitStatus::Usage);
    if (syncing && (parser.isSet(u"keep"_s) || parser.isSet(u"forget"_s)))
        return failure(texts::syncUsage.in(language), ExitStatus::Usage);
    return std::nullopt;
}

std::optional<int> answerMisuse(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<CommandLineAnswer> answer = misuseOf(arguments, commandLineLanguage());
    if (!answer)
        return std::nullopt;
    std::fputs(answer->error.toLocal8Bit().constData(), stderr);
    return answer->exitCode;
}

PspOpened openPspFolder(const QString &folder, Language language, bool makeIdentity)
{
    const QString shownFolder = QDir::toNativeSeparators(folder);
    const QString pspRoot = pspRootOf(folder);
    // The folder is opened once and reached through that handle only; what
    // is there is looked at only to say why it could not be opened.
    PspOpened psp;
    std::unique_ptr<VolumeRoot> root = VolumeRoot::open(pspRoot);
    if (!root) {
        const QFileInfo info(folder);
        const Phrase &why = !info.exists()  ? texts::argumentMissing
                            : !info.isDir() ? texts::argumentNotAFolder
                                            : texts::keepNotOpened;
        psp.why = why.in(language).arg(shownFolder);
        return psp;
    }
    if (existingFolder(*root, u"PSP"_s).isEmpty()) {
        psp.why = texts::keepNotAPsp.in(language).arg(shownFolder);
        return psp;
    }
    psp.identity =
        makeIdentity ? sendrecord::volumeIdentity(*root) : sendrecord::keptIdentity(*root);
    if (psp.identity.isEmpty() && makeIdentity) {
        psp.why = texts::keepNoIdentity.in(language);
        return psp;
    }
    psp.root = std::move(root);
    psp.folder = pspRoot;
    return psp;
}

std::optional<CommandLineAnswer> answerKeepOptions(const QStringList &arguments, Language language)
{
    if (std::none_of(arguments.cbegin(), arguments.cend(), asksForList))
        return std::nullopt;
    const QCommandLineOption keep(u"keep"_s, {}, u"path"_s);
    const QCommandLineOption forget(u"forget"_s, {}, u"path"_s);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({keep, forget});
    const bool keeping = parser.parse(arguments) && parser.isSet(keep);
    if (!parser.errorText().isEmpty() || parser.isSet(keep) == parser.isSet(forget) ||
        parser.values(keeping ? keep : forget).size() != 1 ||
        parser.positionalArguments().size() != 1)
        return failure(texts::keepUsage.in(language), ExitStatus::Usage);

    const QString path = folderpath::fromArgument(parser.value(keeping ? keep : forget));
    const QString folder = folderpath::fromArgument(parser.positionalArguments().constFirst());
    const QString shownPath = QDir::toNativeSeparators(path);
    PspOpened psp = openPspFolder(folder, language, true);
    if (!psp.root)
        return failure(psp.why);
    const QString shownRoot = QDir::toNativeSeparators(psp.folder);
    const QString &identity = psp.identity;
    // Read and written under the PSP's lock, so that a change made meanwhile
    // elsewhere is neither lost nor written over.
    const Result<std::shared_ptr<const WriterLock>> lock = WriterLock::take(*psp.root);
    if (!lock)
        return failure(WriterLock::refusal(lock.error(), language),
                       WriterLock::isBusy(lock.error()) ? ExitStatus::Busy : ExitStatus::Failed);

    SyncList list = synclist::load(identity);
    bool changed = false;
    const Phrase *done = &texts::keepNotThere;
    if (keeping) {
        const std::optional<SyncEntry::Kind> kind = synclist::kindOf(path);
        if (!kind)
            return failure(
                (QFileInfo::exists(path) ? texts::keepNotKeepable : texts::keepNoSuchPath)
                    .in(language)
                    .arg(shownPath));
        changed = list.add(path, *kind);
        done = changed ? &texts::keepAdded : &texts::keepAlreadyThere;
    } else if (list.removeAt(list.indexOf(path))) {
        // Taken off even when it is no longer on the computer.
        changed = true;
        done = &texts::keepForgotten;
    } else if (!QFileInfo::exists(path)) {
        return failure(texts::keepNoSuchPath.in(language).arg(shownPath));
    }
    if (changed && !synclist::save(identity, list))
        return failure(texts::keepNotSaved.in(language));
    synclist::nameIfNone(identity, shownRoot);
    return CommandLineAnswer{
        exitCode(ExitStatus::Done), done->in(language).arg(shownPath, shownRoot) + u'\n', {}};
}

std::optional<int> answerKeepOptions(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const std::optional<CommandLineAnswer> answer =
        answerKeepOptions(arguments, commandLineLanguage());
    if (!answer)
        return std::nullopt;
    std::fputs(answer->output.toLocal8Bit().constData(), stdout);
    std::fputs(answer->error.toLocal8Bit().constData(), stderr);
    return std::fflush(stdout) == 0 ? answer->exitCode : 1;
}
