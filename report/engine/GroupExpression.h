#pragma once

#include <QString>

#include <vector>

namespace report {

class ReportDataSet;

// The key expression of a group band. Understands what the statement's groups use: field
// references (qualified by the data set's name or not), text literals in single quotes,
// '+' joining texts, parentheses and COPY(text, start, count) with a 1-based start. Anything
// else is refused when parsed, so a key can never silently evaluate to nothing.
class GroupExpression {
public:
    // Throws ReportError naming the expression and what is wrong with it.
    static GroupExpression parse(const QString& text, const QString& dataSetName);

    QString evaluate(const ReportDataSet& dataSet) const;
    const QString& text() const noexcept { return m_text; }

    struct Node {
        enum Kind { Field, Literal, Concat, Copy } kind = Literal;
        QString text; // Field: the field's name; Literal: the text
        int start = 1;
        int count = 0;
        std::vector<Node> args; // Concat: the parts; Copy: the text
    };

private:
    QString m_text;
    Node m_root;
};

} // namespace report
