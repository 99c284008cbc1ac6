#include "db/DataSet.h"

#include "db/DbError.h"

#include <cctype>

namespace db {
namespace {

bool sameName(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

} // namespace

Field::Field(DataSet& owner, std::string name, std::string fieldName, FieldType type, int size)
    : m_owner(owner)
    , m_name(std::move(name))
    , m_fieldName(std::move(fieldName))
    , m_type(type)
    , m_size(size)
{
}

bool Field::isNull() const
{
    m_owner.requireActive();
    if (const FieldValue* v = m_owner.bufferValue(*this))
        return v->null;
    if (m_owner.m_eof)
        return true;
    return m_owner.sourceIsNull(m_column);
}

std::string Field::asString() const
{
    m_owner.requireActive();
    if (const FieldValue* v = m_owner.bufferValue(*this))
        return v->null ? std::string() : v->text;
    if (m_owner.m_eof)
        return {};
    return m_owner.sourceString(m_column);
}

double Field::asFloat() const
{
    m_owner.requireActive();
    if (const FieldValue* v = m_owner.bufferValue(*this))
        return v->null ? 0.0 : v->number;
    if (m_owner.m_eof)
        return 0.0;
    return m_owner.sourceFloat(m_column);
}

void Field::setAsString(std::string_view value)
{
    FieldValue& v = m_owner.editValue(*this);
    v.null = false;
    v.text.assign(value);
}

void Field::setAsFloat(double value)
{
    FieldValue& v = m_owner.editValue(*this);
    v.null = false;
    v.number = value;
}

void Field::clear()
{
    FieldValue& v = m_owner.editValue(*this);
    v = FieldValue{};
}

DataSet::~DataSet() = default;

Field& DataSet::addField(std::string name, std::string fieldName, FieldType type, int size)
{
    if (active())
        throw DbError("Cannot add a field to an open data set");
    m_fields.push_back(
        std::make_unique<Field>(*this, std::move(name), std::move(fieldName), type, size));
    m_fields.back()->m_index = static_cast<int>(m_fields.size()) - 1;
    return *m_fields.back();
}

Field* DataSet::findField(std::string_view fieldName) const noexcept
{
    for (const auto& f : m_fields) {
        if (sameName(f->fieldName(), fieldName))
            return f.get();
    }
    return nullptr;
}

Field& DataSet::fieldByName(std::string_view fieldName) const
{
    if (Field* f = findField(fieldName))
        return *f;
    throw DbError("Field '" + std::string(fieldName) + "' not found");
}

void DataSet::open()
{
    if (active())
        return;
    beforeOpen();
    m_columns = openSource();
    try {
        bindFields();
        m_state = DataSetState::Browse;
        m_eof = !sourceFirst();
    } catch (...) {
        m_state = DataSetState::Inactive;
        closeSource();
        m_columns.clear();
        throw;
    }
}

void DataSet::bindFields()
{
    for (const auto& f : m_fields) {
        f->m_column = -1;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (sameName(m_columns[c].name, f->fieldName())) {
                f->m_column = static_cast<int>(c);
                break;
            }
        }
        // Each message names where the field was looked for, as well as the field.
        if (f->m_column < 0)
            throw DbError("Field '" + f->fieldName() + "' not found: " + m_errorContext);
        const ColumnType& actual = m_columns[static_cast<std::size_t>(f->m_column)].type;
        if (actual.type != f->dataType())
            throw DbError("Type mismatch for field '" + f->fieldName() + "', expecting: " +
                          fieldTypeName(f->dataType()) + " actual: " + fieldTypeName(actual.type) +
                          ": " + columnSource(f->m_column));
        if (f->dataType() == FieldType::String && actual.size != f->size())
            throw DbError("Size mismatch for field '" + f->fieldName() + "', expecting: " +
                          std::to_string(f->size()) + " actual: " + std::to_string(actual.size) +
                          ": " + columnSource(f->m_column));
    }
}

void DataSet::close() noexcept
{
    if (!active())
        return;
    closeSource();
    m_state = DataSetState::Inactive;
    m_buffer.clear();
    m_columns.clear();
    m_eof = true;
    for (const auto& f : m_fields)
        f->m_column = -1;
}

void DataSet::requireActive() const
{
    if (!active())
        throw DbError("Cannot perform this operation on a closed dataset");
}

void DataSet::first()
{
    requireActive();
    cancel();
    m_eof = !sourceFirst();
}

void DataSet::next()
{
    requireActive();
    cancel();
    if (!m_eof)
        m_eof = !sourceNext();
}

const FieldValue* DataSet::bufferValue(const Field& field) const noexcept
{
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return nullptr;
    return &m_buffer[static_cast<std::size_t>(field.m_column)];
}

FieldValue& DataSet::editValue(Field& field)
{
    requireActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        throw DbError("Dataset not in edit or insert mode");
    return m_buffer[static_cast<std::size_t>(field.m_column)];
}

void DataSet::edit()
{
    requireActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    if (m_eof)
        throw DbError("Cannot edit: no current record");
    m_buffer.assign(m_columns.size(), FieldValue{});
    for (std::size_t c = 0; c < m_columns.size(); ++c) {
        const int column = static_cast<int>(c);
        FieldValue& v = m_buffer[c];
        v.null = sourceIsNull(column);
        if (v.null)
            continue;
        if (m_columns[c].type.type == FieldType::String)
            v.text = sourceString(column);
        else
            v.number = sourceFloat(column);
    }
    m_state = DataSetState::Edit;
}

void DataSet::append()
{
    requireActive();
    cancel();
    m_buffer.assign(m_columns.size(), FieldValue{});
    m_state = DataSetState::Insert;
}

void DataSet::post()
{
    requireActive();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    sourceWrite(m_state == DataSetState::Insert, m_buffer);
    m_state = DataSetState::Browse;
    m_buffer.clear();
    m_eof = false;
}

void DataSet::cancel() noexcept
{
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        m_state = DataSetState::Browse;
        m_buffer.clear();
    }
}

std::string DataSet::columnSource(int) const
{
    return m_errorContext;
}

void DataSet::sourceWrite(bool, const std::vector<FieldValue>&)
{
    throw DbError("Table is read only: " + m_errorContext);
}

} // namespace db
