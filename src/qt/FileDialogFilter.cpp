#include "qt/FileDialogFilter.h"

namespace qtui {

QString caseInsensitivePattern(const QString& pattern) {
    QString out;
    bool inClass = false; // inside [...] the pattern already says which letters match
    for (const QChar c : pattern) {
        if (c == QLatin1Char('[')) inClass = true;
        if (c == QLatin1Char(']')) inClass = false;
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (!inClass && c.isLetter() && lower != upper)
            out += QLatin1Char('[') + lower + upper + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

QStringList qtNameFilters(std::string_view filter) {
    const QStringList parts =
        QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
            .split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts))
            patterns << caseInsensitivePattern(p.trimmed());
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        QString description = parts[i].trimmed();
        // Qt reads the last parenthesised group as the patterns, so keep any in the
        // description out of its way by always appending our own.
        filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return filters;
}

} // namespace qtui
