#include "core/writerlock.h"

#include "core/sendrecord.h"
#include "platform/volumelock.h"

#include <cerrno>

namespace {

Result<std::shared_ptr<const WriterLock>> lockFile(const VolumeRoot &root, const QString &path)
{
    Result<std::unique_ptr<QFile>> file = root.openFile(path, 0);
    if (!file)
        return file.error();
    if (const Result<> locked = volumelock::tryLock(**file); !locked)
        return locked.error();
    // Let go of from whichever thread ends the last holder's use of it.
    (*file)->moveToThread(nullptr);
    return std::make_shared<const WriterLock>(std::move(*file));
}

} // namespace

Result<std::shared_ptr<const WriterLock>> WriterLock::take(const VolumeRoot &root)
{
    const QString folder = sendrecord::folderName();
    const QString path = folder + QStringLiteral("/lock");
    // A volume that takes no writes needs no lock: nothing will be written,
    // and what tries is told why by its own checks.
    if (const Result<> made = root.makeFolder(folder); !made)
        return made.error().errorNumber == EROFS ? Result(std::shared_ptr<const WriterLock>())
                                                 : made.error();
    // Made empty when missing; it never holds anything.
    if (const Result<> made = root.append(path, {}, 0); !made)
        return made.error().errorNumber == EROFS ? Result(std::shared_ptr<const WriterLock>())
                                                 : made.error();
    return lockFile(root, path);
}

Result<std::shared_ptr<const WriterLock>> WriterLock::takeIfUsed(const VolumeRoot &root)
{
    const QString path = sendrecord::folderName() + QStringLiteral("/lock");
    if (root.status(path).kind == VolumeRoot::Kind::Missing)
        return std::shared_ptr<const WriterLock>();
    return lockFile(root, path);
}

QString WriterLock::refusal(const FileError &error, Language language)
{
    return isBusy(error) ? texts::syncBusy.in(language)
                         : texts::syncRecordUnwritable.in(language).arg(error.message);
}
