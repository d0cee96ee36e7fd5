#include "core/texts.h"

#include <QLocale>

Language languageFromFlag(const QString &flag)
{
    return flag.isEmpty() || flag == QStringLiteral("FR") ? Language::French : Language::English;
}

QString flagOf(Language language)
{
    return language == Language::French ? QStringLiteral("FR") : QStringLiteral("EN");
}

QString Phrase::spokenIn(Language language) const
{
    QString name = in(language).remove(u'&');
    while (name.endsWith(u':') || name.endsWith(u' ') || name.endsWith(u'\u00A0') ||
           name.endsWith(u'.') || name.endsWith(u'\u2026'))
        name.chop(1);
    return name;
}

QString sizeText(qint64 bytes, Language language)
{
    return QLocale(language == Language::French ? QLocale::French : QLocale::English)
        .formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

bool isSingular(qint64 count, Language language)
{
    return language == Language::French ? (count == 0 || count == 1) : count == 1;
}

QString Counted::in(qint64 count, Language language) const
{
    if (count == 0 && none.french)
        return none.in(language);
    const Phrase &phrase = isSingular(count, language) ? one : many;
    const QString text = phrase.in(language);
    // A singular may say "the track" rather than "1 track".
    if (!text.contains(u"%1"))
        return text;
    const QLocale locale(language == Language::French ? QLocale::French : QLocale::English);
    return text.arg(locale.toString(count));
}

QString wrappable(const QString &text)
{
    constexpr int longestRun = 24;
    constexpr QChar breakOpportunity(0x200B);
    QString result;
    result.reserve(text.size() + text.size() / longestRun);
    int run = 0;
    for (const QChar c : text) {
        if (run >= longestRun && !c.isSpace() && !c.isLowSurrogate()) {
            result.append(breakOpportunity);
            run = 0;
        }
        result.append(c);
        run = c.isSpace() ? 0 : run + 1;
        if (run > 1 && (c == u'/' || c == u'\\')) {
            result.append(breakOpportunity);
            run = 0;
        }
    }
    return result;
}

namespace texts {

namespace {
constexpr Phrase same(const char16_t *text)
{
    return {text, text};
}
} // namespace

const Counted tracks{
    {u"%1 morceau", u"%1 track"}, {u"%1 morceaux", u"%1 tracks"}, {u"aucun morceau", u"no tracks"}};
const Counted playlists{{u"%1 playlist", u"%1 playlist"},
                        {u"%1 playlists", u"%1 playlists"},
                        {u"aucune playlist", u"no playlists"}};
const Counted files{{u"%1 fichier", u"%1 file"}, {u"%1 fichiers", u"%1 files"}};

const Phrase titleSuffix{u" - A partir de la version 6.10 du système",
                         u" - From system version 6.10"};
const Phrase connectPrompt{u"Veuillez connecter votre PSP", u"    Please connect your PSP"};
const Phrase defaultPlaylistName{u"Nom de la nouvelle playlist", u"Untitled playlist"};
const Phrase libraryHeading{u"Morceaux stockés sur votre PSP:", u"Audio files stored on your PSP:"};
const Phrase addAllTracks{u"Ajouter toutes les pistes", u"Add all tracks"};
const Phrase advancedBrowser{u"Navigateur de fichiers avancé", u"Advanced file browser"};
const Phrase currentHeading{u"Playlist en cours d'édition:", u"Current playlist:"};
const Phrase removeEntry{u"Retirer", u"Remove"};
const Phrase moveUp{u"Remonter", u"Up"};
const Phrase moveDown{u"Descendre", u"Down"};
const Phrase playlistsHeading{u"Vos playlists:", u"Your playlists:"};
const Phrase deletePlaylist{u"Supprimer la playlist", u"Delete this playlist"};
const Phrase menuFile{u"&Fichier", u"&File"};
const Phrase menuNew{u"&Nouvelle playlist", u"&New playlist"};
const Phrase menuSave{u"&Sauvegarder la playlist", u"&Save playlist"};
const Phrase menuExplore{u"&Explorer la PSP", u"&Browse PSP"};
const Phrase menuAbout{u"&A propos de...", u"&About..."};
const Phrase playlistNameBox{u"Nom de la playlist", u"Playlist name"};
const Phrase folderListName{u"Dossiers de la PSP", u"Folders on your PSP"};

const Phrase aboutTitlePrefix{u"A propos de ", u"About "};
const Phrase aboutDescription{u"Créez et éditez des playlists pour votre PSP!",
                              u"Create and edit playlists for your PSP!"};

const Phrase browserTitle{u"Navigateur de médias (Avancé)", u"Advanced file browser"};
const Phrase browserAddAll{u"&Ajouter tous les médias du dossier", u"&Add all tracks to playlist"};
const Phrase browserDone{u"&Terminé!", u"&Done!"};
const Phrase browserTrackList{u"Médias du dossier", u"Audio files in this folder"};

const Phrase nameErrorTitle{u"Erreur", u"Syntax error"};
const Phrase nameErrorCharacters{u"Un nom de playlist ne peut contenir les caractères suivants:",
                                 u"The following symbols aren't allowed in a playlist's name"};
const Phrase nameErrorBlank{u"De même, une playlist ne peux pas ne pas avoir de nom.",
                            u"So, a playlist's name can't be blank"};

const Phrase forbiddenCharacterNames{
    u"barre oblique inverse, barre oblique, deux-points, astérisque, point d'interrogation, "
    u"guillemet, chevron ouvrant, chevron fermant, barre verticale",
    u"backslash, slash, colon, asterisk, question mark, double quote, less-than sign, "
    u"greater-than sign, vertical bar"};

const Phrase retryName{u"Retapez le nom du fichier", u"Try again"};

const Phrase folderIsAFile{
    u"«\u00A0%1\u00A0» n'est pas un dossier (un fichier ou un lien est à sa place)\u00A0: vos "
    u"morceaux et vos "
    u"playlists ne peuvent pas y être rangés. Renommez-le depuis l'ordinateur, puis rebranchez "
    u"la PSP.",
    u"\"%1\" is not a folder (a file or a link is in its place), so your tracks and playlists "
    u"cannot be kept there. Rename it from the computer, then plug the PSP in again."};
const Phrase folderNotCreated{
    u"Le dossier «\u00A0%1\u00A0» n'a pas pu être créé. La PSP est peut-être protégée en écriture "
    u"ou pleine.",
    u"The folder \"%1\" could not be created. The PSP may be write-protected or full."};

const Phrase readIncomplete{
    u"La playlist «\u00A0%1\u00A0» n'a pas pu être lue en entier (%2). Seules les pistes lues sont "
    u"affichées\u00A0: en l'enregistrant sous le même nom, vous perdriez les autres.",
    u"The playlist \"%1\" could not be read completely (%2). Only the tracks read so far are "
    u"shown: saving it under the same name would lose the others."};
const Phrase saveFailed{
    u"La playlist n'a pas pu être enregistrée dans «\u00A0%1\u00A0»\u00A0: %2. Une version "
    u"précédente de cette "
    u"playlist, s'il y en a une, est restée intacte.",
    u"The playlist could not be saved as \"%1\": %2. Any earlier version of it is left as it was."};
const Phrase inexactEntry{
    u"L'entrée «\u00A0%1\u00A0» contient des caractères qu'un fichier de playlist ne peut pas "
    u"contenir sur "
    u"ce système\u00A0: ils seraient remplacés par «\u00A0?\u00A0».\n\nEnregistrer quand "
    u"même\u00A0?",
    u"The entry \"%1\" holds characters that a playlist file cannot hold on this system: they "
    u"would be written as \"?\".\n\nSave anyway?"};
const Phrase entryWithLineBreak{
    u"L'entrée «\u00A0%1\u00A0» contient un saut de ligne, qu'un fichier de playlist ne peut pas "
    u"contenir. "
    u"La playlist n'a pas été enregistrée.",
    u"The entry \"%1\" holds a line break, which a playlist file cannot hold. The playlist was "
    u"not saved."};
const Phrase readOnlyPlaylist{
    u"La playlist «\u00A0%1\u00A0» est en lecture seule\u00A0: elle est restée telle quelle. Pour "
    u"enregistrer "
    u"la playlist en cours, donnez-lui un autre nom.",
    u"The playlist \"%1\" is read-only: it was left as it was. To save the current playlist, "
    u"give it another name."};
const Phrase saveThroughLink{
    u"«\u00A0%1\u00A0» passe par un lien, qui pourrait mener hors de la PSP et que le programme ne "
    u"suit "
    u"pas. La playlist n'a pas été enregistrée.",
    u"\"%1\" is reached through a link, which could lead off the PSP and which the program does "
    u"not follow. The playlist was not saved."};
const Phrase playlistTooLarge{
    u"«\u00A0%1\u00A0» dépasse 64 Mo, bien plus qu'une playlist de PSP\u00A0: il n'a pas été "
    u"ouvert. La playlist "
    u"en cours est restée telle quelle.",
    u"\"%1\" is larger than 64 MB, far more than any PSP playlist: it was not opened. The "
    u"current playlist is left as it was."};
const Phrase playlistNotAFile{
    u"«\u00A0%1\u00A0» n'est pas un simple fichier (c'est un lien, un périphérique ou un "
    u"tube)\u00A0: il n'a pas "
    u"été ouvert. La playlist en cours est restée telle quelle.",
    u"\"%1\" is not a plain file (it is a link, a device or a pipe): it was not opened. The "
    u"current playlist is left as it was."};
const Phrase changedMeanwhile{
    u"La playlist «\u00A0%1\u00A0» a été modifiée par un autre programme depuis qu'elle a été "
    u"ouverte ou "
    u"enregistrée ici.\n\nLa remplacer par la playlist en cours\u00A0?",
    u"The playlist \"%1\" was changed by another program since it was opened or saved "
    u"here.\n\nReplace it with the current playlist?"};
const Phrase noPlaylistFolder{
    u"La PSP n'a pas de dossier des playlists utilisable\u00A0: rien ne peut y être enregistré ni "
    u"en "
    u"être ouvert. Corrigez ce qui a été signalé au branchement de la PSP, puis rebranchez-la.",
    u"The PSP has no playlist folder that can be used: nothing can be saved there or opened from "
    u"it. Put right what was reported when the PSP was plugged in, then plug it in again."};

const Phrase currentHeadingOneMissing{u"Playlist en cours\u00A0: 1 absent",
                                      u"Current playlist: 1 missing"};
const Phrase currentHeadingMissing{u"Playlist en cours\u00A0: %1 absents",
                                   u"Current playlist: %1 missing"};
const Phrase missingTrackTip{u"Ce morceau n'est pas sur la PSP\u00A0: elle ne pourra pas le lire.",
                             u"This track is not on the PSP: the PSP cannot play it."};
const Phrase syncedPlaylistEdited{
    u"Cette playlist suit «\u00A0%1\u00A0» sur l'ordinateur\u00A0: la prochaine synchronisation "
    u"la remplacera (en demandant d'abord si elle a été modifiée ici), sauf si vous retirez "
    u"«\u00A0%1\u00A0» de la liste de la PSP.",
    u"This playlist follows \"%1\" on the computer: the next sync will replace it (asking first "
    u"if it was changed here), unless you take \"%1\" off the PSP's list."};
const Phrase syncedPlaylistTip{
    u"Synchronisée depuis «\u00A0%1\u00A0» sur l'ordinateur. La prochaine synchronisation "
    u"demandera "
    u"avant de remplacer les modifications faites ici.",
    u"Synced from \"%1\" on the computer. The next sync asks before it replaces changes made "
    u"here."};
const Phrase droppedOffDrive{
    u"Ces fichiers ne sont pas sur la PSP, qui ne pourrait donc pas les lire\u00A0; ils n'ont pas "
    u"été ajoutés à la playlist\u00A0:\n%1",
    u"These files are not on the PSP, so it could never play them; they were not added to the "
    u"playlist:\n%1"};
const Phrase droppedNotTracks{
    u"Seuls les morceaux que montre la liste des pistes peuvent être ajoutés à la playlist\u00A0; "
    u"ces "
    u"dossiers et fichiers ne l'ont pas été\u00A0:\n%1",
    u"Only the audio files that the track list shows can be added to the playlist; these "
    u"folders and files were not:\n%1"};

const Phrase replaceUnsavedQuestion{
    u"La playlist en cours n'a pas été enregistrée. La remplacer par « %1 » ?",
    u"The current playlist has not been saved. Replace it with \"%1\"?"};
const Phrase importNotAPlaylist{u"« %1 » n'est pas une playlist que Zarvello sait lire.",
                                u"\"%1\" is not a playlist that Zarvello can read."};
const Phrase importUnreadable{u"La playlist « %1 » n'a pas pu être lue : %2.",
                              u"The playlist \"%1\" could not be read: %2."};
const Phrase importNothingFound{
    u"Aucun morceau de « %1 » n'a pu être ajouté : la playlist en cours est restée telle quelle.",
    u"No track of \"%1\" could be added: the current playlist was left as it was."};
const Phrase importLeftOut{u"Ces entrées de la playlist n'ont pas été ajoutées :",
                           u"These entries of the playlist were not added:"};
// French puts a space before a colon; English does not.
const Phrase reasonLine{u"%1 : %2", u"%1: %2"};
const Phrase importWhyNotFound{u"introuvable sur l'ordinateur", u"not found on the computer"};
const Phrase importWhyStream{u"un flux ou une adresse, pas un fichier",
                             u"a stream or an address, not a file"};

const Phrase copyToComputer{u"&Enregistrer une copie sur l'ordinateur...",
                            u"Save a &copy on the computer..."};
const Phrase copyFileType{u"Playlists M3U (*.m3u8)", u"M3U playlists (*.m3u8)"};
const Phrase copyInMusicFolder{
    u"Une playlist placée dans le dossier MUSIC de la PSP lui cacherait des morceaux. "
    u"Choisissez un autre dossier.",
    u"A playlist in the PSP's MUSIC folder would hide tracks from it. Choose another folder."};
const Phrase copyFailed{u"La copie n'a pas pu être enregistrée dans « %1 » : %2.",
                        u"The copy could not be saved as \"%1\": %2."};
const Phrase menuSend{u"&Envoyer de la musique sur la PSP...", u"Send &music to the PSP..."};
const Phrase sendTitle{u"Envoyer de la musique sur la PSP", u"Send music to the PSP"};
const Phrase sendFilterAll{u"Musique et playlists", u"Music and playlists"};
const Phrase sendFilterAudio{u"Fichiers audio", u"Audio files"};
const Phrase sendFilterPlaylists{u"Playlists", u"Playlists"};
const Phrase sendFilterAnything{u"Tous les fichiers", u"All files"};
const Phrase sendLooking{u"Examen des morceaux…", u"Looking at the tracks…"};
const Phrase sendTracks{u"Morceaux : %1", u"Tracks: %1"};
const Phrase sendConvertedCopied{u"%1 convertis en %2, %3 copiés tels quels",
                                 u"%1 converted to %2, %3 copied as they are"};
const Phrase sendMp3Quality{u"MP3 (V%1, environ %2 kbit/s)", u"MP3 (V%1, about %2 kbit/s)"};
const Phrase sendAacQuality{u"AAC (%1 kbit/s)", u"AAC (%1 kbit/s)"};
const Phrase sendMp3Level{u"%3 (V%1, environ %2 kbit/s)", u"%3 (V%1, about %2 kbit/s)"};
const Phrase sendAacRate{u"%2 (%1 kbit/s)", u"%2 (%1 kbit/s)"};
const Phrase sendQuality{u"&Qualité :", u"&Quality:"};
const Phrase sendLeftOut{u"Entrées de la playlist laissées de côté : %1",
                         u"Entries of the playlist left out: %1"};
const Phrase sendAlreadyThere{u"Déjà sur la PSP, pas envoyés : %1",
                              u"Already on the PSP, not sent: %1"};
const Phrase sendOtherFormat{u"Sur la PSP dans un autre format : %1",
                             u"On the PSP in another format: %1"};
const Phrase sendReplaceOtherFormat{
    u"&Renvoyer ces morceaux dans le format choisi, en remplaçant les anciens fichiers",
    u"Send those a&gain in the chosen format, replacing the old files"};
const Phrase sendRefused{u"Illisibles ou pas de la musique : %1", u"Unreadable or not audio: %1"};
const Phrase sendRefusedTooLarge{u"Trop gros pour la PSP (plus de 4 Go) : %1",
                                 u"Too large for the PSP (over 4 GB): %1"};
const Phrase sendSize{u"Taille sur la PSP : environ %1 (espace libre : %2)",
                      u"Size on the PSP: about %1 (free space: %2)"};
const Phrase sendMissingSpace{
    u"Il manque environ %1 sur la PSP. Libérez de la place, envoyez moins de morceaux ou "
    u"envoyez ce qui tient.",
    u"The PSP lacks about %1 of free space. Make room, send fewer tracks, or send what fits."};
const Phrase sendWhatFits{u"&Envoyer ce qui tient (%1 sur %2)", u"Send &what fits (%1 of %2)"};
const Phrase sendFolders{u"Dossiers : %1", u"Folders: %1"};
const Phrase sendFormat{u"Con&vertir en :", u"Con&vert to:"};
const Phrase sendMp3Choice{u"M&P3", u"&MP3"};
const Phrase sendAacChoice{u"AA&C (.m4a)", u"&AAC (.m4a)"};
const Phrase sendStart{u"&Démarrer", u"&Start"};
const Phrase sendCancel{u"&Annuler", u"&Cancel"};
const Phrase sendProgressTitle{u"Envoi sur la PSP", u"Sending to the PSP"};
const Phrase sendCurrent{u"En cours : %1", u"Now: %1"};
const Phrase sendCancelling{u"Annulation…", u"Cancelling…"};
const Phrase sendDoneOfTotal{u"Morceaux envoyés : %1 sur %2", u"Tracks done: %1 of %2"};
const Phrase sendTimeLeft{u"Temps restant : %1", u"Time left: %1"};
const Phrase sendTimeLeftUnknown{u"Temps restant : calcul en cours", u"Time left: working it out"};
const Phrase sendReport{u"Morceaux envoyés sur la PSP : %1.", u"Tracks sent to the PSP: %1."};
const Phrase sendReportAlreadyThere{u"Déjà sur la PSP, gardés tels quels : %1.",
                                    u"Already on the PSP, kept as they are: %1."};
const Phrase sendReportNotSent{u"Pas envoyés : %1.", u"Not sent: %1."};
const Phrase sendReportGroup{u"%1 (%2) :", u"%1 (%2):"};
const Phrase sendWhyNotInPlaylist{u"entrées de la playlist laissées de côté",
                                  u"entries of the playlist left out"};
const Phrase sendNoPsp{u"La PSP n'est plus accessible : rien n'a été envoyé.",
                       u"The PSP cannot be reached: nothing was sent."};
const Phrase sendReadOnly{
    u"Rien ne peut être écrit sur la PSP : sa carte mémoire est protégée en écriture ou en "
    u"lecture seule. Rien n'a été envoyé.",
    u"Nothing can be written on the PSP: its memory card is write-protected or read-only. "
    u"Nothing was sent."};
const Phrase sendMusicNotAFolder{
    u"Sur la PSP, MUSIC est un lien ou un fichier, pas un dossier : rien n'a été envoyé.",
    u"On the PSP, MUSIC is a link or a file, not a folder: nothing was sent."};
const Phrase sendMediumFull{
    u"La PSP manque de place : les morceaux qui n'y tenaient pas sont restés sur l'ordinateur.",
    u"The PSP ran out of room: the tracks that did not fit were left on the computer."};
const Phrase sendNothing{u"Aucun morceau à envoyer.", u"No tracks to send."};
const Phrase sendWhyAlreadyThere{u"déjà sur la PSP", u"already on the PSP"};
const Phrase sendWhyUnreadable{u"illisible ou abîmé", u"unreadable or damaged"};
const Phrase sendWhyNotAudio{u"ce n'est pas de la musique", u"not audio"};
const Phrase sendWhyTooLarge{u"trop gros pour la PSP", u"too large for the PSP"};
const Phrase sendWhyFolder{u"son dossier n'a pas pu être créé sur la PSP",
                           u"its folder could not be made on the PSP"};
const Phrase sendWhyNameTaken{u"un autre fichier a pris son nom entre-temps",
                              u"another file took its name meanwhile"};
const Phrase sendWhyNoRoom{u"pas envoyé : pas de place", u"not sent: no room"};
const Phrase sendWhyWrite{u"l'écriture sur la PSP a échoué", u"writing on the PSP failed"};
const Phrase sendWhyCancelled{u"envoi annulé", u"sending cancelled"};
const Phrase sendWhyLink{u"un lien : non suivi", u"a link: not followed"};
const Phrase sendWhyDamaged{u"endommagé", u"damaged"};
const Phrase sendWhyNotConverted{u"n'a pas pu être converti\u00A0: %1",
                                 u"could not be converted: %1"};
const Phrase sendWhyHelperCrashed{u"l'assistant audio s'est arrêté (%1)",
                                  u"the audio helper crashed (%1)"};
const Phrase sendWhyHelperSilent{u"l'assistant audio ne répondait plus",
                                 u"the audio helper stopped answering"};
const Phrase sendHelperMissing{u"L'assistant audio de Zarvello est introuvable\u00A0: réinstallez "
                               u"Zarvello",
                               u"Zarvello's audio helper is missing: reinstall Zarvello"};

const Phrase menuKeep{u"&Garder sur cette PSP...", u"&Keep on this PSP..."};
const Phrase keepTitle{u"Garder sur cette PSP", u"Keep on this PSP"};
const Phrase keepLooking{u"Examen de la PSP…", u"Looking at the PSP…"};
const Phrase keepHeading{
    u"Playlists et dossiers que cette PSP &garde, par ordre de priorité\u00A0:",
    u"Playlists and folders this PSP &keeps, in order of priority:"};
const Phrase keepPsp{u"PSP\u00A0: %1", u"PSP: %1"};
const Phrase keepPspSpace{u"PSP\u00A0: %1 — %2 libres sur %3", u"PSP: %1 — %2 free of %3"};
const Phrase keepTracksColumn{u"Morceaux", u"Tracks"};
const Phrase keepStateColumn{u"État", u"State"};
const Phrase keepFound{u"disponible", u"found"};
const Phrase keepMissing{u"introuvable", u"missing"};
const Phrase keepUnreadable{u"illisible", u"unreadable"};
const Counted keepSomeNotFound{{u"%1 introuvable", u"%1 not found"},
                               {u"%1 introuvables", u"%1 not found"}};
const Phrase keepKindColumn{u"Type", u"Kind"};
const Phrase keepPathColumn{u"Emplacement", u"Location"};
const Phrase keepPlaylist{u"Playlist", u"Playlist"};
const Phrase keepFolder{u"Dossier", u"Folder"};
const Phrase keepAddPlaylist{u"Ajouter une &playlist...", u"Add &playlist..."};
const Phrase keepAddFolder{u"Ajouter un d&ossier...", u"Add &folder..."};
const Phrase keepRemove{u"&Retirer", u"&Remove"};
const Phrase keepCopyFrom{u"&Copier d'une autre PSP...", u"Cop&y from another PSP..."};
const Phrase keepNoOtherPsp{u"Aucune autre PSP n'a de liste", u"No other PSP has a list"};
const Phrase keepUnnamedPsp{u"PSP sans nom (%1)", u"Unnamed PSP (%1)"};
const Counted keepCopied{
    {u"%1 entrée ajoutée depuis la PSP «\u00A0%2\u00A0».", u"%1 entry added from the PSP \"%2\"."},
    {u"%1 entrées ajoutées depuis la PSP «\u00A0%2\u00A0».",
     u"%1 entries added from the PSP \"%2\"."},
    {u"La PSP «\u00A0%2\u00A0» ne garde rien de plus.",
     u"The PSP \"%2\" keeps nothing this one does not."}};
const Phrase keepUp{u"Re&monter", u"&Up"};
const Phrase keepDown{u"&Descendre", u"&Down"};
const Phrase keepSyncNow{u"&Synchroniser maintenant", u"Sync &now"};
const Phrase keepClose{u"&Fermer", u"&Close"};
const Phrase keepWhenPluggedIn{u"Synchroniser quand cette PSP est &branchée",
                               u"&Sync when this PSP is plugged in"};
const Phrase keepNoPsp{u"La PSP n'est plus accessible.", u"The PSP cannot be reached."};
const Phrase keepNoIdentity{
    u"Zarvello ne peut pas garder de liste pour cette PSP\u00A0: il marque chaque PSP d'un petit "
    u"fichier pour les distinguer, et rien ne peut être écrit sur celle-ci (sa carte mémoire est "
    u"protégée en écriture ou en lecture seule). Autorisez l'écriture, puis réessayez.",
    u"Zarvello cannot keep a list for this PSP: it marks each PSP with a small file to tell them "
    u"apart, and nothing can be written on this one (its memory card is write-protected or "
    u"read-only). Allow writing on it, then try again."};
const Phrase keepNotSaved{u"La liste n'a pas pu être enregistrée dans les réglages de Zarvello.",
                          u"The list could not be saved in Zarvello's settings."};
const Phrase keepChangedElsewhere{
    u"La liste a été changée ailleurs entre-temps\u00A0: la voici telle qu'elle est. Refaites le "
    u"dernier changement s'il le faut encore.",
    u"The list was changed elsewhere meanwhile: here it is as it stands. Make the last change "
    u"again if it is still needed."};
const Phrase keepAdded{u"«\u00A0%1\u00A0» est désormais gardé sur la PSP «\u00A0%2\u00A0».",
                       u"\"%1\" is now kept on the PSP at \"%2\"."};
const Phrase keepAlreadyThere{u"«\u00A0%1\u00A0» était déjà gardé sur la PSP «\u00A0%2\u00A0».",
                              u"\"%1\" was kept on the PSP at \"%2\" already."};
const Phrase keepForgotten{u"«\u00A0%1\u00A0» n'est plus gardé sur la PSP «\u00A0%2\u00A0».",
                           u"\"%1\" is no longer kept on the PSP at \"%2\"."};
const Phrase keepNotThere{u"«\u00A0%1\u00A0» n'était pas gardé sur la PSP «\u00A0%2\u00A0».",
                          u"\"%1\" was not kept on the PSP at \"%2\"."};
const Phrase keepNoSuchPath{u"«\u00A0%1\u00A0» n'existe pas.", u"\"%1\" does not exist."};
const Phrase keepNotKeepable{
    u"«\u00A0%1\u00A0» n'est ni un dossier ni une playlist (.m3u, .m3u8, .pls ou .xspf).",
    u"\"%1\" is neither a folder nor a playlist (.m3u, .m3u8, .pls or .xspf)."};
const Phrase keepNotAPsp{
    u"«\u00A0%1\u00A0» n'est pas une PSP\u00A0: il n'y a pas de dossier PSP à sa racine.",
    u"\"%1\" is not a PSP: there is no PSP folder at its root."};
const Phrase keepNotOpened{u"Le dossier «\u00A0%1\u00A0» n'a pas pu être ouvert.",
                           u"The folder \"%1\" could not be opened."};
const Phrase keepUsage{u"Utilisation\u00A0: zarvello --keep CHEMIN DOSSIER, ou zarvello --forget "
                       u"CHEMIN DOSSIER (voir zarvello --help).",
                       u"Usage: zarvello --keep PATH FOLDER, or zarvello --forget PATH FOLDER "
                       u"(see zarvello --help)."};
const Phrase syncNotPsp{u"Ce n'est pas une PSP\u00A0: elle n'a pas de dossier PSP.",
                        u"This is not a PSP: it has no PSP folder."};
const Phrase syncUsage{
    u"Utilisation\u00A0: zarvello --sync DOSSIER [--dry-run] [--delete] [--verbose] (voir "
    u"zarvello --help).",
    u"Usage: zarvello --sync FOLDER [--dry-run] [--delete] [--verbose] (see zarvello --help)."};
const Phrase syncNothingKept{
    u"La PSP de «\u00A0%1\u00A0» ne garde encore rien\u00A0: ajoutez-lui des playlists ou des "
    u"dossiers avec zarvello --keep CHEMIN %1.",
    u"The PSP in \"%1\" keeps nothing yet: add playlists or folders to it with zarvello --keep "
    u"PATH %1."};
const Phrase syncPlanned{
    u"À envoyer\u00A0: %1 (environ %2)\u00A0; déjà sur la PSP\u00A0: %3\u00A0; à retirer\u00A0: "
    u"%4\u00A0; à écrire\u00A0: %5\u00A0; espace libre\u00A0: %6",
    u"To send: %1 (about %2); already on the PSP: %3; to remove: %4; to write: %5; free space: "
    u"%6"};
const Phrase unknownOption{u"Option inconnue\u00A0: %1 (voir zarvello --help).",
                           u"Unknown option: %1 (see zarvello --help)."};
const Phrase syncOptionsAlone{
    u"--dry-run et --delete ne vont qu'avec --sync\u00A0: zarvello --sync DOSSIER [--dry-run] "
    u"[--delete] (voir zarvello --help).",
    u"--dry-run and --delete go with --sync only: zarvello --sync FOLDER [--dry-run] [--delete] "
    u"(see zarvello --help)."};
const Phrase syncToSend{u"À envoyer sur la PSP\u00A0:", u"To send to the PSP:"};
const Phrase syncToWrite{u"Playlists à écrire\u00A0:", u"Playlists to write:"};
const Phrase syncUnavailable{u"Inaccessibles pour l'instant (rien des leurs n'est retiré)\u00A0:",
                             u"Cannot be seen now (nothing of theirs is removed):"};
const Phrase syncNotFound{u"Introuvables sur l'ordinateur\u00A0:", u"Not found on the computer:"};
const Phrase syncReplaced{u"Remplacés par leur nouvelle copie\u00A0:",
                          u"Replaced by their new copies:"};
const Phrase syncStalePlaylists{u"Playlists qui ne sont plus gardées, à retirer\u00A0:",
                                u"Playlists no longer kept, to remove:"};
const Counted syncWontFit{
    {u"%1 morceau ne tiendra pas (environ %2 de trop)\u00A0: ajoutez --delete ou gardez moins.",
     u"%1 track will not fit (about %2 too much): add --delete or keep less."},
    {u"%1 morceaux ne tiendront pas (environ %2 de trop)\u00A0: ajoutez --delete ou gardez "
     u"moins.",
     u"%1 tracks will not fit (about %2 too much): add --delete or keep less."}};
const Phrase syncToRemove{u"À retirer de la PSP\u00A0:", u"To remove from the PSP:"};
const Phrase syncWouldRemove{u"Seraient retirés de la PSP avec --delete\u00A0:",
                             u"Would be removed from the PSP with --delete:"};
const Phrase syncNamedBy{u"%1 (encore dans %2)", u"%1 (still in %2)"};
const Phrase syncChangedKept{
    u"Modifiée sur la PSP depuis la dernière synchronisation, conservée telle quelle\u00A0: %1",
    u"Changed on the PSP since the last sync, kept as it is: %1"};
const Phrase syncUpToDate{u"La PSP est à jour.", u"The PSP is up to date."};
const Phrase syncProgress{u"Morceau %1 sur %2\u00A0: %3 (%4), temps restant\u00A0: %5",
                          u"Track %1 of %2: %3 (%4), time left: %5"};
const Phrase syncTrackDone{u"Envoyé (%1 sur %2)\u00A0: %3 (%4)", u"Sent (%1 of %2): %3 (%4)"};
const Phrase syncDone{u"Envoyé\u00A0: %1\u00A0; retiré\u00A0: %2\u00A0; écrit\u00A0: %3.",
                      u"Sent: %1; removed: %2; written: %3."};
const Phrase syncWritten{u"%1 écrits, espace libre restant\u00A0: %2.",
                         u"%1 written, free space left: %2."};
const Phrase syncNotDone{u"Pas fait\u00A0:", u"Not done:"};
const Counted syncRemovalsHeld{
    {u"%1 morceau n'a pas été retiré\u00A0: ajoutez --delete pour le retirer.",
     u"%1 track was not removed: add --delete to remove it."},
    {u"%1 morceaux n'ont pas été retirés\u00A0: ajoutez --delete pour les retirer.",
     u"%1 tracks were not removed: add --delete to remove them."}};
const Counted syncRemovalsKept{
    {u"%1 morceau n'a pas été retiré, comme demandé.", u"%1 track was not removed, as asked."},
    {u"%1 morceaux n'ont pas été retirés, comme demandé.",
     u"%1 tracks were not removed, as asked."}};
const Phrase menuSync{u"S&ynchroniser cette PSP", u"S&ync this PSP"};
const Phrase syncTitle{u"Synchroniser cette PSP", u"Sync this PSP"};
const Phrase syncStart{u"&Synchroniser", u"&Sync"};
const Counted syncRemoveUnnamed{
    {u"&Retirer le morceau sorti de la liste", u"&Remove the track taken off the list"},
    {u"&Retirer les %1 morceaux sortis de la liste", u"&Remove the %1 tracks taken off the list"}};
const Counted syncRemoveNamed{{u"Retirer a&ussi le morceau que vos playlists nomment encore",
                               u"&Also remove the track your own playlists still name"},
                              {u"Retirer a&ussi les %1 morceaux que vos playlists nomment encore",
                               u"&Also remove the %1 tracks your own playlists still name"}};
const Phrase syncChanged{
    u"Playlists modifiées sur la PSP depuis la dernière synchronisation\u00A0: celles qui ne sont "
    u"pas cochées restent telles quelles.",
    u"Playlists changed on the PSP since the last sync: those not ticked stay as they are."};
const Phrase syncReplaceOne{u"Remplacer «\u00A0%1\u00A0» &depuis l'ordinateur",
                            u"Replace \"%1\" from the co&mputer"};

const Phrase spaceHeading{u"Espace sur la PSP\u00A0:", u"Space on the PSP:"};
const Phrase spaceNow{u"Maintenant\u00A0: %1 utilisés, %2 libres sur %3.",
                      u"Now: %1 used, %2 free of %3."};
const Phrase spaceAfter{u"Après\u00A0: %1 libres.", u"After: %1 free."};
const Phrase spaceShort{u"Après\u00A0: il manque %1.", u"After: %1 short."};

const Phrase planName{u"Ce que fera la synchronisation", u"What the sync will do"};
const Phrase planWhatColumn{u"Quoi", u"What"};
const Phrase planSizeColumn{u"Taille", u"Size"};
const Phrase planToSend{u"À envoyer\u00A0: %1", u"To send: %1"};
const Phrase planAlreadyThere{u"Déjà sur la PSP\u00A0: %1", u"Already on the PSP: %1"};
const Phrase planToRemove{u"À retirer\u00A0: %1", u"To remove: %1"};
const Phrase planHeld{u"\u00A0; en attente\u00A0: %1", u"; held: %1"};
const Phrase planAllHeld{u"À retirer\u00A0: %1, en attente", u"To remove: %1, held"};
const Phrase planToWrite{u"Playlists à écrire\u00A0: %1", u"Playlists to write: %1"};
const Phrase planChanged{
    u"Modifiées sur la PSP\u00A0: gardées\u00A0: %1\u00A0; remplacées\u00A0: %2",
    u"Changed on the PSP: kept: %1; replaced: %2"};
const Phrase planNotFound{u"Introuvables sur l'ordinateur\u00A0: %1",
                          u"Not found on the computer: %1"};
const Phrase planUnavailable{u"Inaccessibles pour l'instant\u00A0: %1", u"Cannot be seen now: %1"};
const Phrase planWontFit{u"Ne tiendront pas\u00A0: %1", u"Will not fit: %1"};
const Counted entries{{u"%1 entrée", u"%1 entry"}, {u"%1 entrées", u"%1 entries"}};
const Phrase qualityWords[3]{{u"fichiers plus légers", u"smaller files"},
                             {u"bon son", u"good sound"},
                             {u"meilleur son", u"best sound"}};
const Phrase conversionMp3{u"MP3, %1 (V%2, environ %3 kbit/s)", u"MP3, %1 (V%2, about %3 kbit/s)"};
const Phrase conversionAac{u"AAC, %1 (%2 kbit/s)", u"AAC, %1 (%2 kbit/s)"};

const Phrase ejectPsp{u"É&jecter la PSP", u"&Eject the PSP"};
const Phrase ejectSafeTitle{u"PSP éjectée", u"PSP ejected"};
const Phrase ejectSafe{u"La PSP peut être débranchée sans risque.",
                       u"The PSP can be unplugged safely."};
const Phrase ejectBusy{
    u"La PSP n'a pas été éjectée\u00A0: un programme y a encore des fichiers ouverts. Fermez-les, "
    u"puis réessayez. Ne la débranchez pas encore.",
    u"The PSP was not ejected: a program still has files open on it. Close them, then try "
    u"again. Do not unplug it yet."};
const Phrase ejectNotAllowed{
    u"Le système ne vous autorise pas à éjecter la PSP d'ici\u00A0: éjectez-la depuis le "
    u"gestionnaire de fichiers avant de la débrancher.",
    u"The system does not let you eject the PSP from here: eject it from the file manager "
    u"before unplugging it."};
const Phrase ejectUnknown{
    u"Zarvello ne peut pas éjecter cette PSP (le service des disques du bureau ne la connaît "
    u"pas)\u00A0: éjectez-la depuis le gestionnaire de fichiers avant de la débrancher.",
    u"Zarvello cannot eject this PSP (the desktop's disk service does not know it): eject it "
    u"from the file manager before unplugging it."};
const Phrase ejectFailed{u"La PSP n'a pas été éjectée\u00A0: %1. Ne la débranchez pas encore.",
                         u"The PSP was not ejected: %1. Do not unplug it yet."};
const Phrase syncDoneTitle{u"PSP synchronisée", u"PSP synced"};

const Phrase argumentMissing{
    u"Le dossier «\u00A0%1\u00A0» n'existe pas. Branchez votre PSP, ou indiquez le dossier d'une "
    u"PSP.",
    u"The folder \"%1\" does not exist. Plug your PSP in, or name the folder of a PSP."};
const Phrase argumentNotAFolder{
    u"«\u00A0%1\u00A0» n'est pas un dossier. Branchez votre PSP, ou indiquez le dossier d'une PSP.",
    u"\"%1\" is not a folder. Plug your PSP in, or name the folder of a PSP."};
const Phrase argumentElsewhere{
    u"Seuls les dossiers de cet ordinateur peuvent être ouverts, et «\u00A0%1\u00A0» n'en est pas "
    u"un. "
    u"Branchez votre PSP, ou indiquez le dossier d'une PSP.",
    u"Only folders on this computer can be opened, and \"%1\" is not one. Plug your PSP in, "
    u"or name the folder of a PSP."};

const Phrase noFileManager{
    u"Aucun gestionnaire de fichiers n'a pu être lancé pour afficher «\u00A0%1\u00A0».",
    u"No file manager could be started to show \"%1\"."};

const Phrase commandLineHelp{
    u"Utilisation\u00A0: zarvello [options] [dossier]\n"
    u"              zarvello --keep CHEMIN DOSSIER\n"
    u"              zarvello --forget CHEMIN DOSSIER\n"
    u"              zarvello --sync DOSSIER [--dry-run] [--delete] [--verbose]\n"
    u"Crée des playlists musicales sur une PSP branchée en USB.\n"
    u"\n"
    u"Options\u00A0:\n"
    u"  -h, --help               Affiche les options et quitte.\n"
    u"  -v, --version            Affiche la version et quitte.\n"
    u"  --keep CHEMIN DOSSIER    Ajoute une playlist (.m3u, .m3u8, .pls, .xspf) ou un\n"
    u"                           dossier de l'ordinateur à ce que garde la PSP dont\n"
    u"                           DOSSIER est le stockage, et quitte.\n"
    u"  --forget CHEMIN DOSSIER  Retire CHEMIN de ce que garde cette PSP, et quitte.\n"
    u"  --sync DOSSIER           Met cette PSP en accord avec ce qu'elle garde, puis\n"
    u"                           quitte.\n"
    u"  --dry-run                Avec --sync\u00A0: dit ce qui serait envoyé (avec les\n"
    u"                           tailles), retiré et écrit, sans rien changer.\n"
    u"  --delete                 Avec --sync\u00A0: retire de la PSP les fichiers que\n"
    u"                           Zarvello y a mis pour la liste et qu'elle n'a plus.\n"
    u"  --delete-many            Avec --delete\u00A0: les retire même quand ils sont\n"
    u"                           plus de la moitié de ce que garde la PSP.\n"
    u"  --verbose                Avec --sync\u00A0: montre aussi les avertissements du\n"
    u"                           convertisseur audio.\n"
    u"DOSSIER peut être le stockage de la PSP ou un dossier qui s'y trouve.\n"
    u"\n"
    u"Codes de sortie de --keep, --forget et --sync\u00A0:\n"
    u"  0  fait\n"
    u"  1  échec (la raison est sur la sortie d'erreur)\n"
    u"  2  options mal employées\n"
    u"  3  fait, mais des retraits attendent --delete ou --delete-many\n"
    u"  4  fait avec ce qui était accessible\u00A0; des entrées gardées manquaient\n"
    u"  5  le relevé de la PSP vient d'un Zarvello plus récent\u00A0: rien d'écrit\n"
    u"  6  un autre Zarvello écrit sur cette PSP\u00A0: rien d'écrit\n"
    u"\n"
    u"Arguments\u00A0:\n"
    u"  dossier                  Le stockage d'une PSP, ou une copie de celui-ci, à\n"
    u"                           utiliser comme si la PSP venait d'être branchée (un\n"
    u"                           chemin ou une URI file://).\n",
    u"Usage: zarvello [options] [folder]\n"
    u"       zarvello --keep PATH FOLDER\n"
    u"       zarvello --forget PATH FOLDER\n"
    u"       zarvello --sync FOLDER [--dry-run] [--delete] [--verbose]\n"
    u"Makes music playlists on a PSP plugged in over USB.\n"
    u"\n"
    u"Options:\n"
    u"  -h, --help             Shows the options and exits.\n"
    u"  -v, --version          Shows the version and exits.\n"
    u"  --keep PATH FOLDER     Adds a playlist (.m3u, .m3u8, .pls, .xspf) or a folder\n"
    u"                         of the computer to what the PSP whose storage is\n"
    u"                         FOLDER keeps, and exits.\n"
    u"  --forget PATH FOLDER   Takes PATH off what that PSP keeps, and exits.\n"
    u"  --sync FOLDER          Brings that PSP in step with what it keeps, and\n"
    u"                         exits.\n"
    u"  --dry-run              With --sync: says what would be sent (with sizes),\n"
    u"                         removed and written, changing nothing.\n"
    u"  --delete               With --sync: removes from the PSP the files Zarvello\n"
    u"                         put there for the list that it no longer holds.\n"
    u"  --delete-many          With --delete: removes them even when they are more\n"
    u"                         than half of what the list keeps on the PSP.\n"
    u"  --verbose              With --sync: shows the audio converter's warnings\n"
    u"                         too.\n"
    u"FOLDER may be the PSP's storage or a folder within it.\n"
    u"\n"
    u"Exit status of --keep, --forget and --sync:\n"
    u"  0  done\n"
    u"  1  failed (standard error says why)\n"
    u"  2  options not used as shown above\n"
    u"  3  done, but removals wait for --delete or --delete-many\n"
    u"  4  done with what could be seen; some kept entries were not there\n"
    u"  5  the PSP's record comes from a newer Zarvello: nothing was written\n"
    u"  6  another Zarvello is writing to this PSP: nothing was written\n"
    u"\n"
    u"Arguments:\n"
    u"  folder                 A PSP's storage, or a copy of it, to use as if it had\n"
    u"                         just been plugged in (a path or a file:// URI).\n"};

const Phrase notAPsp =
    same(u"Ce n'est pas une PSP, ou alors celle-ci n'est pas formatée correctement.");
const Phrase deleteQuestion = same(u"Supprimer la playlist?");
const Phrase deleteCaption = same(u"Warning");
const Phrase playlistDeleted = same(u"Playlist supprimée");
const Phrase noPlaylistSelected = same(u"     Pas de playlist selectionnée");

const Phrase readOnlyNotDeleted{
    u"La playlist «\u00A0%1\u00A0» est en lecture seule\u00A0: elle a été conservée.",
    u"The playlist \"%1\" is read-only: it was kept."};

const Phrase syncBusy{u"Un autre Zarvello écrit sur cette PSP.",
                      u"Another Zarvello is writing to this PSP."};
const Phrase syncNewerRecord{
    u"Cette PSP a été écrite en dernier par un Zarvello plus récent\u00A0: mettez Zarvello à "
    u"jour.",
    u"This PSP was last written by a newer Zarvello: update Zarvello."};
const Phrase syncRecordUnwritable{
    u"La liste de ce que Zarvello a mis sur la PSP n'a pas pu être écrite (%1)\u00A0: rien n'a "
    u"été envoyé.",
    u"The list of what Zarvello put on the PSP could not be written (%1): nothing was sent."};
const Phrase syncRecordRecovered{
    u"La liste de ce que Zarvello a mis sur la PSP était illisible\u00A0: la précédente sert, "
    u"rien n'est retiré, et un fichier déjà là sous le nom qu'un morceau recevrait compte comme "
    u"envoyé.",
    u"The list of what Zarvello put on the PSP could not be read: the previous one is used, "
    u"nothing is removed, and a file already there under the name a track would get counts as "
    u"sent."};
const Phrase syncMissing{u"introuvable\u00A0; le disque est-il monté\u00A0?",
                         u"not found; is the drive mounted?"};
const Phrase syncUnreadable{u"illisible", u"cannot be read"};
const Phrase syncNoTrack{u"ne contient aucun morceau\u00A0; le disque est-il monté\u00A0?",
                         u"holds no track; is the drive mounted?"};
const Counted syncMostNotFound{
    {u"%1 morceau sur %2 introuvable\u00A0; le disque est-il monté\u00A0?",
     u"%1 of %2 tracks not found; is the drive mounted?"},
    {u"%1 morceaux sur %2 introuvables\u00A0; le disque est-il monté\u00A0?",
     u"%1 of %2 tracks not found; is the drive mounted?"}};
const Phrase syncManyRemovals{
    u"%1 des %2 morceaux gardés sur la PSP seraient retirés\u00A0: ajoutez --delete-many pour "
    u"en retirer autant.",
    u"%1 of the %2 tracks kept on the PSP would be removed: add --delete-many to remove that "
    u"many."};
const Phrase syncManyRemovalsQuestion{
    u"%1 des %2 morceaux gardés sur la PSP vont être retirés. Les retirer tous\u00A0?",
    u"%1 of the %2 tracks kept on the PSP are to be removed. Remove them all?"};
const Phrase syncNothingThere{
    u"aucun de ses morceaux n'est sur la PSP\u00A0: elle n'a pas été écrite",
    u"none of its tracks is on the PSP: it was not written"};
const Counted syncUnplugged{{u"La PSP a été débranchée\u00A0: %1 morceau envoyé, %2 non.",
                             u"The PSP was unplugged: %1 track sent, %2 not."},
                            {u"La PSP a été débranchée\u00A0: %1 morceaux envoyés, %2 non.",
                             u"The PSP was unplugged: %1 tracks sent, %2 not."}};

} // namespace texts
