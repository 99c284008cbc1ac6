#include "installer/framework/StringTable.h"

#include <QStringList>

StringTable StringTable::parse(const QString& text)
{
    StringTable table;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('*')))
            continue;
        const auto where = [&] {
            return "string table line " + std::to_string(i + 1) + ": ";
        };
        const qsizetype semicolon = line.indexOf(QLatin1Char(';'));
        if (semicolon < 0)
            throw StringTableError(where() + "no \";\" after the text's number");
        bool ok = false;
        const int glid = line.left(semicolon).trimmed().toInt(&ok);
        if (!ok || glid < 0)
            throw StringTableError(where() + "\"" + line.left(semicolon).toStdString() +
                                   "\" is not a text number");
        if (table.m_texts.contains(glid))
            throw StringTableError(where() + "text " + std::to_string(glid) + " given twice");
        table.m_texts.insert(glid, line.mid(semicolon + 1));
    }
    return table;
}
