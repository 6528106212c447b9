#include "window/qt/display_text.h"

#include "catalogue/long_names.h"

#include <QUtf8StringView>

QString displayText(const std::string &bytes) {
  const QUtf8StringView utf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  if (utf8.isValidUtf8())
    return utf8.toString();
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString shownName(const std::string &bytes) { return displayText(elideName(bytes)); }
