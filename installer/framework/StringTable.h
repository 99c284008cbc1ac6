#pragma once

#include <QHash>
#include <QString>

#include <stdexcept>

// A translator's string table: lines "GLID;Text", where GLID is a decimal number and the text
// is everything after the first ";". Lines starting with "*" name the page or component the
// following entries belong to; blank lines are skipped.
class StringTableError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class StringTable {
public:
    // Throws StringTableError naming the line of a malformed or repeated entry.
    static StringTable parse(const QString& text);

    bool contains(int glid) const { return m_texts.contains(glid); }
    // The text of glid; empty when the table has none.
    QString text(int glid) const { return m_texts.value(glid); }
    bool isEmpty() const { return m_texts.isEmpty(); }

private:
    QHash<int, QString> m_texts;
};
