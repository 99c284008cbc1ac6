#include "report/engine/ReportFonts.h"

#include <mutex>

namespace report {

void installFontSubstitutions()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // Substitutes are only consulted when the family itself is missing.
        QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
        QFont::insertSubstitution(QStringLiteral("MS Sans Serif"),
                                  QStringLiteral("Liberation Sans"));
    });
}

QFont makeFont(const FontSpec& spec)
{
    installFontSubstitutions();
    QFont font(spec.family);
    font.setPointSizeF(spec.pointSize);
    font.setBold(spec.bold);
    font.setKerning(false);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace report
