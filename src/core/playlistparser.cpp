#include "core/playlistparser.h"

#include "core/modules.h"

#include <QUrl>
#include <totem-pl-parser.h>

namespace {

void entryParsed(TotemPlParser *, const char *uri, GHashTable *, gpointer listed)
{
    static_cast<ParsedPlaylist *>(listed)->locations.append(QString::fromUtf8(uri));
}

void playlistStarted(TotemPlParser *, const char *, GHashTable *metadata, gpointer listed)
{
    auto &title = static_cast<ParsedPlaylist *>(listed)->title;
    if (const auto *text =
            static_cast<const char *>(g_hash_table_lookup(metadata, TOTEM_PL_PARSER_FIELD_TITLE)))
        title = QString::fromUtf8(text).trimmed();
}

} // namespace

ParsedPlaylist parsePlaylistFile(const QString &file, const QString &baseFolder)
{
    ParsedPlaylist listed;
    TotemPlParser *parser = totem_pl_parser_new();
    // Entries are tracks: opening each one to see whether it is a playlist
    // itself would cost a read per track.
    g_object_set(parser, "recurse", FALSE, nullptr);
    g_signal_connect(parser, "entry-parsed", G_CALLBACK(entryParsed), &listed);
    g_signal_connect(parser, "playlist-started", G_CALLBACK(playlistStarted), &listed);
    const QByteArray uri = QUrl::fromLocalFile(file).toEncoded();
    const QByteArray base = QUrl::fromLocalFile(baseFolder).toEncoded();
    listed.parsed = totem_pl_parser_parse_with_base(parser, uri.constData(), base.constData(),
                                                    FALSE) == TOTEM_PL_PARSER_RESULT_SUCCESS;
    g_object_unref(parser);
    return listed;
}

const void *zarvelloModule()
{
    static const PlaylistParserModule module{parsePlaylistFile};
    return &module;
}
