#include "report/engine/ReportTemplate.h"

#include "report/engine/ReportError.h"

namespace report {

Band* ReportTemplate::band(QStringView name)
{
    for (Band& b : bands) {
        if (b.name == name)
            return &b;
    }
    return nullptr;
}

const Band* ReportTemplate::band(QStringView name) const
{
    return const_cast<ReportTemplate*>(this)->band(name);
}

Printable* ReportTemplate::printable(QStringView name)
{
    for (Band& b : bands) {
        for (Printable& p : b.printables) {
            if (p.name == name)
                return &p;
        }
    }
    return nullptr;
}

const Printable* ReportTemplate::printable(QStringView name) const
{
    return const_cast<ReportTemplate*>(this)->printable(name);
}

void ReportTemplate::setTextHandler(QStringView printableName, TextHandler handler)
{
    Printable* p = printable(printableName);
    if (!p || !p->isText())
        throw ReportError(QStringLiteral("O relatório não tem o texto \"%1\".").arg(printableName));
    p->onPrint = std::move(handler);
}

} // namespace report
