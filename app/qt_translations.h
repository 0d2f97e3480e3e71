#pragma once
// Qt's own texts (the scroll bars' menu, the message box's buttons) in the
// window's language.

class QCoreApplication;

// Installs Qt's Chinese translations on `application`: the variant of the
// system's locale when that is Chinese, simplified Chinese otherwise, since
// every text of the window is Chinese. False when no catalogue was found.
bool InstallQtTranslations(QCoreApplication& application);
