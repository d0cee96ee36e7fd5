#include "transfer/sendchoice.h"

#include "core/usersettings.h"

#include <algorithm>
#include <iterator>

using namespace Qt::StringLiterals;

namespace {

const QString formatKey = u"send/format"_s;
const QString mp3LevelKey = u"send/mp3Level"_s;
const QString aacBitRateKey = u"send/aacBitRate"_s;

// A remembered value that is no longer offered gives way to the usual one.
template <std::size_t N>
int rememberedOf(const QSettings &settings, const QString &key, const int (&offered)[N], int usual)
{
    const int value = settings.value(key, usual).toInt();
    return std::find(std::begin(offered), std::end(offered), value) != std::end(offered) ? value
                                                                                         : usual;
}

} // namespace

namespace sendchoice {

Choice remembered()
{
    const std::unique_ptr<QSettings> settings = usersettings::open();
    Choice choice;
    if (settings->value(formatKey).toString() == u"aac"_s)
        choice.format = TargetFormat::Aac;
    choice.quality.mp3Level =
        rememberedOf(*settings, mp3LevelKey, mp3Levels, choice.quality.mp3Level);
    choice.quality.aacBitRate =
        rememberedOf(*settings, aacBitRateKey, aacBitRates, choice.quality.aacBitRate);
    return choice;
}

void rememberFormat(TargetFormat format)
{
    usersettings::open()->setValue(formatKey, format == TargetFormat::Aac ? u"aac"_s : u"mp3"_s);
}

void rememberQuality(TargetFormat format, int value)
{
    usersettings::open()->setValue(format == TargetFormat::Mp3 ? mp3LevelKey : aacBitRateKey,
                                   value);
}

} // namespace sendchoice
