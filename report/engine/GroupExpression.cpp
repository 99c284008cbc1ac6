#include "report/engine/GroupExpression.h"

#include "report/engine/ReportDataSet.h"
#include "report/engine/ReportError.h"

namespace report {

namespace {

class Parser {
public:
    Parser(const QString& text, const QString& dataSetName)
        : m_text(text)
        , m_dataSet(dataSetName)
    {
    }

    GroupExpression::Node parseAll()
    {
        GroupExpression::Node node = expression();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("texto inesperado na posição %1").arg(m_pos + 1));
        return node;
    }

private:
    using Node = GroupExpression::Node;

    [[noreturn]] void fail(const QString& why) const
    {
        throw ReportError(
            QStringLiteral("Expressão de grupo não suportada: \"%1\" (%2).").arg(m_text, why));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }

    bool accept(QChar c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text.at(m_pos) == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    void expect(QChar c)
    {
        if (!accept(c))
            fail(QStringLiteral("esperado '%1' na posição %2").arg(c).arg(m_pos + 1));
    }

    static bool isIdentifierChar(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

    QString identifier()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isIdentifierChar(m_text.at(m_pos)))
            ++m_pos;
        if (m_pos == start || m_text.at(start).isDigit())
            fail(QStringLiteral("esperado um nome na posição %1").arg(start + 1));
        return m_text.mid(start, m_pos - start);
    }

    int integer()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        if (m_pos < m_text.size() && (m_text.at(m_pos) == u'-' || m_text.at(m_pos) == u'+'))
            ++m_pos;
        while (m_pos < m_text.size() && m_text.at(m_pos).isDigit())
            ++m_pos;
        bool ok = false;
        const int value = m_text.mid(start, m_pos - start).toInt(&ok);
        if (!ok)
            fail(QStringLiteral("esperado um número na posição %1").arg(start + 1));
        return value;
    }

    Node expression()
    {
        Node first = term();
        if (!accept(u'+'))
            return first;
        Node concat;
        concat.kind = Node::Concat;
        concat.args.push_back(std::move(first));
        do {
            concat.args.push_back(term());
        } while (accept(u'+'));
        return concat;
    }

    Node term()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("a expressão termina antes do fim"));
        if (accept(u'(')) {
            Node inner = expression();
            expect(u')');
            return inner;
        }
        if (m_text.at(m_pos) == u'\'')
            return literal();

        const QString name = identifier();
        if (accept(u'(')) {
            if (name.compare(QLatin1String("COPY"), Qt::CaseInsensitive) != 0)
                fail(QStringLiteral("função desconhecida %1").arg(name));
            Node copy;
            copy.kind = Node::Copy;
            copy.args.push_back(expression());
            expect(u',');
            copy.start = integer();
            expect(u',');
            copy.count = integer();
            expect(u')');
            return copy;
        }
        Node field;
        field.kind = Node::Field;
        if (accept(u'.')) {
            if (name.compare(m_dataSet, Qt::CaseInsensitive) != 0)
                fail(QStringLiteral("conjunto de dados desconhecido %1").arg(name));
            field.text = identifier();
        } else {
            field.text = name;
        }
        return field;
    }

    Node literal()
    {
        ++m_pos; // opening quote
        Node node;
        node.kind = Node::Literal;
        for (;;) {
            if (m_pos >= m_text.size())
                fail(QStringLiteral("texto sem aspas de fechamento"));
            const QChar c = m_text.at(m_pos++);
            if (c == u'\'') {
                // A doubled quote stands for one quote inside the text.
                if (m_pos < m_text.size() && m_text.at(m_pos) == u'\'') {
                    node.text += c;
                    ++m_pos;
                    continue;
                }
                return node;
            }
            node.text += c;
        }
    }

    const QString& m_text;
    const QString& m_dataSet;
    qsizetype m_pos = 0;
};

QString evaluateNode(const GroupExpression::Node& node, const ReportDataSet& dataSet)
{
    using Node = GroupExpression::Node;
    switch (node.kind) {
    case Node::Field:
        return dataSet.fieldValue(node.text);
    case Node::Literal:
        return node.text;
    case Node::Concat: {
        QString result;
        for (const Node& part : node.args)
            result += evaluateNode(part, dataSet);
        return result;
    }
    case Node::Copy: {
        const QString text = evaluateNode(node.args.front(), dataSet);
        // A start before the first character counts from the first; a start past the end or
        // a count below one gives nothing.
        const qsizetype start = qMax(node.start, 1) - 1;
        if (start >= text.size() || node.count <= 0)
            return QString();
        return text.mid(start, node.count);
    }
    }
    return QString();
}

} // namespace

GroupExpression GroupExpression::parse(const QString& text, const QString& dataSetName)
{
    GroupExpression e;
    e.m_text = text;
    e.m_root = Parser(e.m_text, dataSetName).parseAll();
    return e;
}

QString GroupExpression::evaluate(const ReportDataSet& dataSet) const
{
    return evaluateNode(m_root, dataSet);
}

} // namespace report
