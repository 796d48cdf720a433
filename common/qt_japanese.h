// Qt's own Japanese texts (file dialogs, standard buttons, the text boxes' context menus) for programs whose
// own texts are Japanese whatever the locale. Shared by QuillonMacro's editor and Glossel.
#pragma once

class QCoreApplication;
class QString;

// Installs Qt's Japanese translation of its own texts on the application, whatever the user's locale. Looks
// in the program's resources, in Qt's translation folder and in "translations" beside the program. Returns
// the file it loaded, or "" when none was found (the texts then stay as Qt has them).
QString InstallQtJapaneseTranslation(QCoreApplication& app);
