#pragma once

class QCoreApplication;

namespace tamberlo {

// Qt's own texts (the file dialog and its warnings, message box buttons) in Japanese whatever the
// user's locale, since the whole interface is Japanese. False when Qt's Japanese catalogue
// (qt6-translations-l10n) is missing: Qt's texts then stay English.
bool installJapaneseQtTexts(QCoreApplication &app);

} // namespace tamberlo
