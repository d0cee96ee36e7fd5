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

CommandLineAnswer failure(const QString &why, int exitCode = 1)
{
    return {exitCode, {}, why + u'\n'};
}

} // namespace

PspOpened openPspFolder(const QString &folder, Language language, bool makeIdentity)
{
    const QString shownFolder = QDir::toNativeSeparators(folder);
    // The folder is opened once and reached through that handle only; what
    // is there is looked at only to say why it could not be opened.
    PspOpened psp;
    std::unique_ptr<VolumeRoot> root = VolumeRoot::open(folder);
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
        return failure(texts::keepUsage.in(language), 2);

    const QString path = folderpath::fromArgument(parser.value(keeping ? keep : forget));
    const QString folder = folderpath::fromArgument(parser.positionalArguments().constFirst());
    const QString shownPath = QDir::toNativeSeparators(path);
    const QString shownFolder = QDir::toNativeSeparators(folder);
    PspOpened psp = openPspFolder(folder, language, true);
    if (!psp.root)
        return failure(psp.why);
    const QString &identity = psp.identity;
    // Read and written under the PSP's lock, so that a change made meanwhile
    // elsewhere is neither lost nor written over.
    const Result<std::shared_ptr<const WriterLock>> lock = WriterLock::take(*psp.root);
    if (!lock)
        return WriterLock::isBusy(lock.error())
                   ? failure(texts::syncBusy.in(language), exitCode(ExitStatus::Busy))
                   : failure(texts::syncRecordUnwritable.in(language).arg(lock.error().message));

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
    return CommandLineAnswer{0, done->in(language).arg(shownPath, shownFolder) + u'\n', {}};
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
