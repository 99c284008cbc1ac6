#pragma once

#include "db/FieldType.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace db {

class DataSet;

// A value held in an edit buffer.
struct FieldValue {
    bool null = true;
    std::string text;
    double number = 0.0;
};

// A persistent field: declared on a data set before it opens, bound to the column of the same
// name when it opens (checked for type and, for text, width), read and written through it.
class Field {
public:
    Field(DataSet& owner, std::string name, std::string fieldName, FieldType type, int size);
    Field(const Field&) = delete;
    Field& operator=(const Field&) = delete;

    const std::string& name() const noexcept { return m_name; }           // e.g. IREP_CODIGO
    const std::string& fieldName() const noexcept { return m_fieldName; } // e.g. EP_CODIGO
    FieldType dataType() const noexcept { return m_type; }
    int size() const noexcept { return m_size; }
    int column() const noexcept { return m_column; } // -1 while unbound

    bool isNull() const;
    std::string asString() const; // empty when null
    double asFloat() const;       // zero when null
    void setAsString(std::string_view value);
    void setAsFloat(double value);
    void clear();

private:
    friend class DataSet;
    DataSet& m_owner;
    std::string m_name;
    std::string m_fieldName;
    FieldType m_type;
    int m_size;
    int m_column = -1;
    int m_index = -1; // position among the owner's fields
};

// A column that a data set's source offers.
struct ColumnInfo {
    std::string name;
    ColumnType type;
};

enum class DataSetState { Inactive, Browse, Edit, Insert };

// What a table or a query shares: persistent fields, open and close, a cursor that moves
// forward, and an edit buffer for the kinds that can be written.
class DataSet {
public:
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    Field& addField(std::string name, std::string fieldName, FieldType type, int size = 0);
    Field* findField(std::string_view fieldName) const noexcept;
    // Throws "Field '<name>' not found".
    Field& fieldByName(std::string_view fieldName) const;
    const std::vector<std::unique_ptr<Field>>& fields() const noexcept { return m_fields; }

    void open();
    void close() noexcept;
    bool active() const noexcept { return m_state != DataSetState::Inactive; }
    DataSetState state() const noexcept { return m_state; }

    void first();
    void next();
    bool eof() const noexcept { return m_eof; }

    void edit();
    void append();
    void post();
    void cancel() noexcept;

protected:
    DataSet() = default;

    using Column = ColumnInfo;

    // Opens the source and tells which columns it has.
    virtual std::vector<Column> openSource() = 0;
    virtual void closeSource() noexcept = 0;
    // Move the source's cursor; false when it has no such row.
    virtual bool sourceFirst() = 0;
    virtual bool sourceNext() = 0;
    virtual bool sourceIsNull(int column) const = 0;
    virtual std::string sourceString(int column) const = 0;
    virtual double sourceFloat(int column) const = 0;
    // Writes the edit buffer (one value per column); the default refuses.
    virtual void sourceWrite(bool insert, const std::vector<FieldValue>& values);
    virtual void beforeOpen() {}
    // The table that a column of the open source comes from, for messages; by default the
    // error context.
    virtual std::string columnSource(int column) const;

    // For a source that positions itself (a keyed search): the cursor now stands on a row.
    void setPositioned() noexcept { m_eof = false; }
    void setErrorContext(std::string context) { m_errorContext = std::move(context); }
    int columnCount() const noexcept { return static_cast<int>(m_columns.size()); }

private:
    friend class Field;
    void bindFields();
    void requireActive() const;
    const FieldValue* bufferValue(const Field& field) const noexcept;
    FieldValue& editValue(Field& field);

    std::vector<std::unique_ptr<Field>> m_fields;
    std::vector<Column> m_columns;
    std::vector<FieldValue> m_buffer; // per column, in Edit and Insert
    DataSetState m_state = DataSetState::Inactive;
    bool m_eof = true;
    std::string m_errorContext;
};

} // namespace db
