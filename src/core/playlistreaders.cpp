#include "core/playlistreaders.h"

#include "platform/ansicodepage.h"

#include <algorithm>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QUrl>
#include <QXmlStreamReader>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

QString decodeText(const QByteArray &bytes, int codePage)
{
    if (const auto marked = QStringConverter::encodingForData(bytes)) {
        QStringDecoder decoder(*marked);
        return decoder(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? AnsiCodec(codePage).decode(bytes) : text;
}

// A track's first location is the one to play; the others that XSPF allows
// are stand-ins, left out.
void readTrack(QXmlStreamReader &xml, ParsedPlaylist &listed)
{
    bool located = false;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"location" || located) {
            xml.skipCurrentElement();
            continue;
        }
        QString text = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        if (text.isEmpty())
            continue;
        located = true;
        // A relative reference is a path once decoded; a "%" that starts no
        // escape is a "%" of the name.
        static const QRegularExpression loneMark(u"%(?![0-9A-Fa-f]{2})"_s);
        listed.locations.append(
            isAddress(text) ? text
                            : QUrl::fromPercentEncoding(text.replace(loneMark, u"%25"_s).toUtf8()));
    }
}

} // namespace

bool isAddress(const QString &location)
{
    static const QRegularExpression scheme(u"^[A-Za-z][A-Za-z0-9+.-]+:"_s);
    return scheme.match(location).hasMatch();
}

ParsedPlaylist readM3u(const QByteArray &bytes, int codePage)
{
    static const QRegularExpression lineEnds(u"\r\n|\r|\n"_s);
    ParsedPlaylist listed;
    listed.parsed = true;
    for (const QString &line : decodeText(bytes, codePage).split(lineEnds)) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"#PLAYLIST:") && listed.title.isEmpty())
            listed.title = trimmed.mid(10).trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(u'#'))
            listed.locations.append(trimmed);
    }
    return listed;
}

// An INI file, read by hand: QSettings would take "\" and "," in values for
// escapes and lists. Entries go by their number, whatever the order of their
// lines and whatever numbers are missing; NumberOfEntries is not trusted, as
// writers get it wrong. Lines that mean nothing are passed over.
ParsedPlaylist readPls(const QByteArray &bytes, int codePage)
{
    ParsedPlaylist listed;
    std::vector<std::pair<uint, QString>> numbered;
    bool inPlaylist = true; // keys before any section header count
    const QString text = decodeText(bytes, codePage);
    // Lines end in LF, CR LF or CR; the empty line inside a CR LF is passed
    // over with the others.
    for (qsizetype start = 0, end = 0; start < text.size(); start = end + 1) {
        end = start;
        while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        const QStringView trimmed = QStringView(text).sliced(start, end - start).trimmed();
        if (trimmed.startsWith(u'[')) {
            inPlaylist = trimmed.compare(u"[playlist]", Qt::CaseInsensitive) == 0;
            listed.parsed = listed.parsed || inPlaylist;
            continue;
        }
        const qsizetype equals = trimmed.indexOf(u'=');
        if (!inPlaylist || equals < 1)
            continue;
        const QStringView key = trimmed.first(equals).trimmed();
        const QStringView value = trimmed.sliced(equals + 1).trimmed();
        bool isNumber = false;
        const uint number =
            key.startsWith(u"file", Qt::CaseInsensitive) ? key.sliced(4).toUInt(&isNumber) : 0;
        if (isNumber && number > 0 && !value.isEmpty())
            numbered.emplace_back(number, value.toString());
        else if (key.compare(u"X-GNOME-Title", Qt::CaseInsensitive) == 0)
            listed.title = value.toString();
    }
    // A number given twice keeps its first entry.
    const auto byNumber = [](const auto &a, const auto &b) {
        return a.first < b.first;
    };
    if (!std::is_sorted(numbered.begin(), numbered.end(), byNumber))
        std::stable_sort(numbered.begin(), numbered.end(), byNumber);
    const auto sameNumber = [](const auto &a, const auto &b) {
        return a.first == b.first;
    };
    numbered.erase(std::unique(numbered.begin(), numbered.end(), sameNumber), numbered.end());
    listed.locations.reserve(qsizetype(numbered.size()));
    for (auto &[number, location] : numbered)
        listed.locations.append(std::move(location));
    listed.parsed = listed.parsed || !numbered.empty();
    return listed;
}

ParsedPlaylist readXspf(QIODevice &device)
{
    // QXmlStreamReader expands the entities a DTD declares (it never loads an
    // external one): with the DTD refused before the first element, any
    // entity but XML's own five is an error.
    QXmlStreamReader xml(&device);
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
        if (xml.tokenType() == QXmlStreamReader::DTD)
            return {};
    }
    if (xml.tokenType() != QXmlStreamReader::StartElement || xml.name() != u"playlist")
        return {};
    ParsedPlaylist listed;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"title") {
            listed.title = xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
        } else if (xml.name() == u"trackList") {
            while (xml.readNextStartElement()) {
                if (xml.name() == u"track")
                    readTrack(xml, listed);
                else
                    xml.skipCurrentElement();
            }
        } else {
            xml.skipCurrentElement();
        }
    }
    // A broken document lists nothing, not what came before the break.
    if (xml.hasError())
        return {};
    listed.parsed = true;
    return listed;
}
