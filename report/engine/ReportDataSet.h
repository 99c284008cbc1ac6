#pragma once

#include <QString>

#include <optional>

namespace report {

// What page composition needs of the rows it prints. Field names are the column names
// (EP_NOME, IN_CODIGO, ...). Display texts come with their masks applied by the implementer.
class ReportDataSet {
public:
    virtual ~ReportDataSet() = default;

    virtual int recordCount() = 0;
    // The number of rows if it is already known, without waiting for it; progress is reported
    // from the row at which it becomes known.
    virtual std::optional<int> recordCountIfReady() { return recordCount(); }
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;

    // The stored value as text, as group expressions see it.
    virtual QString fieldValue(const QString& field) const = 0;
    // The text a data printable prints.
    virtual QString displayText(const QString& field) const = 0;
};

} // namespace report
