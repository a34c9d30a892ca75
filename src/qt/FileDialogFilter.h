#pragma once

#include <QStringList>
#include <string_view>

namespace qtui {

// The platform's dialog filter, "description|pattern" pairs joined by '|' with ';'
// between the patterns of one pair ("Access Database (.mdb)|*.mdb"), as Qt name
// filters. Patterns match without regard to case, as file names did on the original
// platform ("*.mdb" also finds "Qolb2017LAN.MDB"); show them with
// QFileDialog::HideNameFilterDetails so that only the descriptions appear.
QStringList qtNameFilters(std::string_view filter);

// "*.mdb" -> "*.[mM][dD][bB]".
QString caseInsensitivePattern(const QString& pattern);

} // namespace qtui
