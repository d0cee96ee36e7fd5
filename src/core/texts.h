#pragma once

#include <QString>

// Every text that depends on the interface language, in one table. The
// windows are built with their French texts; the English ones are applied when
// the language flag says so.

enum class Language
{
    French,
    English
};

// The language flag held by the main window: "FR" means French, anything else
// English. Until start-up has set it (empty), windows keep the French texts
// they are built with.
Language languageFromFlag(const QString &flag);
QString flagOf(Language language);

// A text that wraps anywhere it must: long runs without a space (a path, a
// long name) get invisible break opportunities after their separators and
// at least every few characters, so that a message box never grows wider
// than the screen to hold one.
QString wrappable(const QString &text);

// A size as the language writes it ("1,5 Mo", "1.5 MB").
QString sizeText(qint64 bytes, Language language);

struct Phrase
{
    const char16_t *french;
    const char16_t *english;

    QString in(Language language) const
    {
        return QString::fromUtf16(language == Language::French ? french : english);
    }
    // The text windows are built with, before any language is applied.
    QString builtIn() const { return in(Language::French); }
    // The text as a screen reader names a control by: no access key, and no
    // colon or ellipsis at the end.
    QString spokenIn(Language language) const;
};

// A number with the noun it counts, agreeing as the language wants: French
// keeps 0 and 1 in the singular ("1 morceau", "2 morceaux"), English only 1
// ("1 track", "0 tracks"). Where a word reads better than 0 ("no tracks",
// "aucun morceau"), none holds it. Each text has %1 for the number, written
// as the language writes numbers.
struct Counted
{
    Phrase one;
    Phrase many;
    Phrase none{nullptr, nullptr};

    QString in(qint64 count, Language language) const;
};

// Whether the language puts this count in the singular.
bool isSingular(qint64 count, Language language);

namespace texts {

// Counts.
extern const Counted tracks;
extern const Counted playlists;
extern const Counted files;

// Main window.
extern const Phrase titleSuffix;
extern const Phrase connectPrompt;       // Label4
extern const Phrase defaultPlaylistName; // Text1
extern const Phrase libraryHeading;      // Label1
extern const Phrase addAllTracks;        // Command5
extern const Phrase advancedBrowser;     // Command6
extern const Phrase currentHeading;      // Label2
extern const Phrase removeEntry;         // Command1
extern const Phrase moveUp;              // Command2
extern const Phrase moveDown;            // Command3
extern const Phrase playlistsHeading;    // Label3
extern const Phrase deletePlaylist;      // Command4
extern const Phrase menuFile;
extern const Phrase menuNew;
extern const Phrase menuSave;
extern const Phrase menuExplore;
extern const Phrase menuAbout;
// What screen readers call the name box (Text1).
extern const Phrase playlistNameBox;
// What screen readers call the folder lists (Dir1, here and in the browser),
// which have no heading of their own.
extern const Phrase folderListName;

// Sending music to the PSP.
extern const Phrase menuSend;
extern const Phrase sendTitle;
extern const Phrase sendLooking;
extern const Phrase sendFilterAll;
extern const Phrase sendFilterAudio;
extern const Phrase sendFilterPlaylists;
extern const Phrase sendFilterAnything;
extern const Phrase sendTracks;
extern const Phrase sendConvertedCopied; // %1 converted, %2 what to, %3 copied
extern const Phrase sendMp3Quality;      // %1 the level, %2 its typical rate in kbit/s
extern const Phrase sendAacQuality;      // %1 kbit/s
extern const Phrase sendMp3Level;        // %1 the level, %2 about kbit/s, %3 in words
extern const Phrase sendAacRate;         // %1 kbit/s, %2 in words
extern const Phrase sendQuality;
extern const Phrase sendLeftOut;
extern const Phrase sendAlreadyThere;
extern const Phrase sendOtherFormat;
extern const Phrase sendReplaceOtherFormat;
extern const Phrase sendRefused;
extern const Phrase sendRefusedTooLarge;
extern const Phrase sendSize;
extern const Phrase sendMissingSpace;
extern const Phrase sendWhatFits; // %1 tracks that fit, %2 of how many
extern const Phrase sendFolders;
extern const Phrase sendFormat;
extern const Phrase sendMp3Choice;
extern const Phrase sendAacChoice;
extern const Phrase sendStart;
extern const Phrase sendCancel;
extern const Phrase sendProgressTitle;
extern const Phrase sendCurrent;
extern const Phrase sendCancelling;
extern const Phrase sendDoneOfTotal;
extern const Phrase sendTimeLeft;
extern const Phrase sendTimeLeftUnknown;
extern const Phrase sendReport;
extern const Phrase sendReportNotSent;
extern const Phrase sendReportAlreadyThere;
extern const Phrase sendReportGroup;
extern const Phrase sendWhyNotInPlaylist;
extern const Phrase sendNoPsp;
extern const Phrase sendReadOnly;
extern const Phrase sendMusicNotAFolder;
extern const Phrase sendMediumFull;
extern const Phrase sendNothing;
// Why a track was not sent.
extern const Phrase sendWhyAlreadyThere;
extern const Phrase sendWhyUnreadable;
extern const Phrase sendWhyNotAudio;
extern const Phrase sendWhyTooLarge;
extern const Phrase sendWhyFolder;
extern const Phrase sendWhyNameTaken;
extern const Phrase sendWhyNoRoom;
extern const Phrase sendWhyWrite;
extern const Phrase sendWhyCancelled;
extern const Phrase sendWhyLink;
extern const Phrase sendWhyDamaged;
extern const Phrase sendWhyNotConverted;  // %1: the cause
extern const Phrase sendWhyHelperCrashed; // %1: what ended it, in the system's words
extern const Phrase sendWhyHelperSilent;
extern const Phrase sendHelperMissing;

// What a PSP keeps of the computer's playlists and folders.
extern const Phrase menuKeep;
extern const Phrase keepTitle;
extern const Phrase keepLooking;
extern const Phrase keepHeading;
extern const Phrase keepPsp;      // %1 the PSP
extern const Phrase keepPspSpace; // %1 the PSP, %2 free, %3 its size
extern const Phrase keepTracksColumn;
extern const Phrase keepStateColumn;
extern const Phrase keepFound;
extern const Phrase keepMissing;
extern const Phrase keepUnreadable;
extern const Counted keepSomeNotFound;
extern const Phrase keepKindColumn;
extern const Phrase keepPathColumn;
extern const Phrase keepPlaylist;
extern const Phrase keepFolder;
extern const Phrase keepAddPlaylist;
extern const Phrase keepAddFolder;
extern const Phrase keepRemove;
extern const Phrase keepCopyFrom;
extern const Phrase keepNoOtherPsp;
extern const Phrase keepUnnamedPsp; // %1: a short part of its identity
extern const Counted keepCopied;    // %2: the PSP copied from
extern const Phrase keepUp;
extern const Phrase keepDown;
extern const Phrase keepSyncNow;
extern const Phrase keepClose;
extern const Phrase keepWhenPluggedIn;
extern const Phrase keepNoPsp;
extern const Phrase keepNoIdentity;
extern const Phrase keepNotSaved;
extern const Phrase keepChangedElsewhere;
// The same from a terminal; %1 is the path, %2 the PSP's folder.
extern const Phrase keepAdded;
extern const Phrase keepAlreadyThere;
extern const Phrase keepForgotten;
extern const Phrase keepNotThere;
extern const Phrase keepNoSuchPath;  // %1 only
extern const Phrase keepNotKeepable; // %1 only
extern const Phrase keepNotAPsp;     // %1 is the folder
extern const Phrase keepNotOpened;   // %1 is the folder
extern const Phrase keepUsage;

// A sync of a PSP with its list.
extern const Phrase syncNotPsp;
extern const Phrase syncUsage;
extern const Phrase syncNothingKept; // %1 the PSP's folder
// %1 tracks to send, %2 their size, %3 tracks already there, %4 tracks to
// remove, %5 playlists to write, %6 the free space; the counts as
// texts::tracks and texts::playlists say them.
extern const Phrase syncPlanned;
extern const Phrase unknownOption; // %1 the option
extern const Phrase syncOptionsAlone;
// Headings of the lists of a plan on a terminal.
extern const Phrase syncToSend;
extern const Phrase syncToWrite;
extern const Phrase syncUnavailable;
extern const Phrase syncNotFound;
extern const Phrase syncReplaced;
extern const Phrase syncStalePlaylists;
extern const Counted syncWontFit; // %2 the size that does not fit
extern const Phrase syncToRemove;
extern const Phrase syncWouldRemove;
extern const Phrase syncNamedBy; // %1 the file, %2 the playlists naming it
extern const Phrase syncChangedKept;
extern const Phrase syncUpToDate;
// %1 the track's number, %2 of how many, %3 the track, %4 its size, %5 the
// time left.
extern const Phrase syncProgress;
// A line per track once sent, where the output is no terminal: %1 its
// number, %2 of how many, %3 the track, %4 its size on the PSP.
extern const Phrase syncTrackDone;
extern const Phrase syncDone;    // %1 tracks sent, %2 tracks removed, %3 playlists written
extern const Phrase syncWritten; // %1 the size written, %2 the free space left
extern const Phrase syncNotDone;
extern const Counted syncRemovalsHeld;
extern const Counted syncRemovalsKept;
extern const Phrase menuSync;
extern const Phrase syncTitle;
extern const Phrase syncStart;
extern const Counted syncRemoveUnnamed;
extern const Counted syncRemoveNamed;
extern const Phrase syncChanged;
extern const Phrase syncReplaceOne; // %1 the playlist

// A volume's space; sizes as sizeText() writes them.
extern const Phrase spaceHeading;
extern const Phrase spaceNow;   // %1 used, %2 free, %3 the whole
extern const Phrase spaceAfter; // %1 free
extern const Phrase spaceShort; // %1 what will not fit

// The plan of a sync as a table: a line per kind, with its count.
extern const Phrase planName;
extern const Phrase planWhatColumn;
extern const Phrase planSizeColumn;
extern const Phrase planToSend;
extern const Phrase planAlreadyThere;
extern const Phrase planToRemove;
extern const Phrase planHeld;    // after planToRemove: %1 those held
extern const Phrase planAllHeld; // %1 all of them, held
extern const Phrase planToWrite;
extern const Phrase planChanged; // %1 playlists kept, %2 replaced
extern const Phrase planNotFound;
extern const Phrase planUnavailable;
extern const Phrase planWontFit;
extern const Counted entries;
// The three qualities offered, smallest files first, in words.
extern const Phrase qualityWords[3];
extern const Phrase conversionMp3; // %1 in words, %2 the level, %3 about kbit/s
extern const Phrase conversionAac; // %1 in words, %2 kbit/s

// Ejecting the PSP after a send or a sync.
extern const Phrase ejectPsp;
extern const Phrase ejectSafeTitle;
extern const Phrase ejectSafe;
extern const Phrase ejectBusy;
extern const Phrase ejectNotAllowed;
extern const Phrase ejectUnknown;
extern const Phrase ejectFailed; // %1 what the system said
// A sync started by plugging the PSP in, told on the desktop.
extern const Phrase syncDoneTitle;

// About dialog.
extern const Phrase aboutTitlePrefix;
extern const Phrase aboutDescription;

// Advanced media browser.
extern const Phrase browserTitle;
extern const Phrase browserAddAll;
extern const Phrase browserDone;
extern const Phrase browserTrackList; // music, for screen readers

// Name error dialog.
extern const Phrase nameErrorTitle;
extern const Phrase nameErrorCharacters;
extern const Phrase nameErrorBlank;
// The refused characters, by name, for screen readers.
extern const Phrase forbiddenCharacterNames;

// Chosen when used.
extern const Phrase retryName;

// Folder problems on a PSP; %1 is the folder.
extern const Phrase folderIsAFile;
extern const Phrase folderNotCreated;

// Playlist files; %1 is the file, %2 what the system said.
extern const Phrase readIncomplete;
extern const Phrase saveFailed;
extern const Phrase inexactEntry;       // %1 is the entry
extern const Phrase entryWithLineBreak; // %1 is the entry
extern const Phrase readOnlyPlaylist;   // %1 is the file
extern const Phrase saveThroughLink;    // %1 is the file
extern const Phrase playlistTooLarge;   // %1 is the file
extern const Phrase playlistNotAFile;   // %1 is the file
extern const Phrase changedMeanwhile;   // %1 is the file
extern const Phrase noPlaylistFolder;

// Entries whose file is not on the PSP; %1 is how many.
extern const Phrase currentHeadingOneMissing; // Label2
extern const Phrase currentHeadingMissing;    // Label2
extern const Phrase missingTrackTip;
// A saved playlist a sync writes; %1 the computer's playlist it follows.
extern const Phrase syncedPlaylistTip;
extern const Phrase syncedPlaylistEdited; // %1: the computer's playlist
// Files dropped on the current playlist and left out; %1 lists them.
extern const Phrase droppedOffDrive;
extern const Phrase droppedNotTracks;

// Playlists of the computer brought to the PSP; %1 is the playlist.
extern const Phrase replaceUnsavedQuestion;
extern const Phrase importNotAPlaylist;
extern const Phrase importUnreadable; // %2 is what the system said
extern const Phrase importNothingFound;
// Entries of an imported playlist left out, and why.
extern const Phrase importLeftOut;
extern const Phrase reasonLine; // "what: why"
extern const Phrase importWhyNotFound;
extern const Phrase importWhyStream;

// A saved playlist copied to the computer.
extern const Phrase copyToComputer; // File2's command
extern const Phrase copyFileType;
extern const Phrase copyInMusicFolder;
extern const Phrase copyFailed; // %1 is the file, %2 what the system said

// A folder given on the command line; %1 is the folder.
extern const Phrase argumentMissing;
extern const Phrase argumentNotAFolder;
extern const Phrase argumentElsewhere; // %1 is the address, not a folder

// The file manager could not be started; %1 is the folder.
extern const Phrase noFileManager;

// What --help prints.
extern const Phrase commandLineHelp;

// The same in both languages.
extern const Phrase notAPsp;
extern const Phrase deleteQuestion;
extern const Phrase deleteCaption;
extern const Phrase playlistDeleted;
extern const Phrase noPlaylistSelected;

// Deleting a read-only playlist; %1 is its name.
extern const Phrase readOnlyNotDeleted;

// A sync or send that cannot trust or take the PSP.
extern const Phrase syncBusy;
extern const Phrase syncNewerRecord;
extern const Phrase syncRecordUnwritable; // %1 is what the system said
extern const Phrase syncRecordRecovered;
// Why a kept entry cannot be seen; %1 tracks not found of %2.
extern const Phrase syncMissing;
extern const Phrase syncUnreadable;
extern const Phrase syncNoTrack;
extern const Counted syncMostNotFound;
// %1 removals of %2 tracks kept on the PSP.
extern const Phrase syncManyRemovals;
extern const Phrase syncManyRemovalsQuestion;
// Why a PSP playlist was not written.
extern const Phrase syncNothingThere;
// %1 tracks sent, %2 not.
extern const Counted syncUnplugged; // %1: tracks sent, %2: not sent

} // namespace texts
