#pragma once

// Qt's own texts (the standard buttons of message boxes, such as Yes and No) follow the
// interface language. For French, Qt's French translation is installed on the application; for
// English, Qt's built-in texts are used and a French translation installed before is taken away.
// Call it once the interface language is chosen, before any window shows Qt's texts.
void installQtTranslations(bool french);
