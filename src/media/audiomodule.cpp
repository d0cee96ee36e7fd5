#include "media/audiomodule.h"

#include "core/modules.h"

namespace {

SourceTrack unreadable(const QString &path)
{
    SourceTrack source;
    source.path = path;
    source.refusal = SourceTrack::Refusal::Unreadable;
    return source;
}

const AudioModule missing{unreadable,
                          [](const QString &, TargetFormat, const std::atomic_bool &,
                             const std::function<void(double)> &) { return Conversion(); },
                          [](const QByteArray &, const QString &) { return QByteArray(); },
                          [](QByteArray &, TargetFormat, const TrackTags &, const QByteArray &) {
                              return false;
                          }};

} // namespace

const AudioModule &audioModule()
{
    static const auto *module = static_cast<const AudioModule *>(loadModule("zarvello_audio"));
    return module ? *module : missing;
}
