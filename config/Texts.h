#pragma once
// The program's own texts in the language a caller names, whatever catalogue is installed: the
// English source, or its Chinese from the catalogue compiled into the program. A file written
// in Chinese by the English program (or a Chinese item name read by it) needs this; where the
// installed catalogue decides, tr() does the same from the same catalogue.

#include <QString>

namespace config {

enum class Language { English, Chinese };

// source in language; the source itself where the catalogue has no translation. Mark each
// source with QT_TRANSLATE_NOOP(context, ...) so that the catalogue's tools find it.
QString translated(Language language, const char* context, const char* source);

}  // namespace config
