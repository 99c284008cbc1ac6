#include "ReportTestSupport.h"

#include "report/engine/GroupExpression.h"
#include "report/engine/ReportError.h"

#include <gtest/gtest.h>

using namespace report;
using namespace reporttest;

namespace {

TEST(GroupExpression, EvaluatesTheStatementAndSectionKeys)
{
    FakeDataSet data({{{QStringLiteral("EP_CODIGO"), QStringLiteral("01")},
                       {QStringLiteral("FU_CODIGO"), QStringLiteral("00042")},
                       {QStringLiteral("IN_CODIGO"), QStringLiteral("49")}},
                      {{QStringLiteral("IN_CODIGO"), QString()}}});
    const struct {
        const char* expression;
        int row;
        const char* key;
    } cases[] = {
        {"Fun.EP_CODIGO + Fun.FU_CODIGO", 0, "0100042"},
        {"COPY(Fun.IN_CODIGO,1 ,1 )", 0, "4"},
        {"COPY(Fun.IN_CODIGO,1 ,1 )", 1, ""}, // no code: empty, not an error
        {"copy(fun.IN_CODIGO, 2, 5)", 0, "9"},
        {"COPY(Fun.IN_CODIGO, 0, 1)", 0, "4"},
        {"COPY(Fun.IN_CODIGO, 3, 1)", 0, ""},
        {"COPY(Fun.EP_CODIGO + Fun.FU_CODIGO, 2, 3)", 0, "100"},
        {"'K' + (Fun.EP_CODIGO) + 'it''s'", 0, "K01it's"},
        {"IN_CODIGO", 0, "49"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        const GroupExpression e =
            GroupExpression::parse(QString::fromLatin1(c.expression), QStringLiteral("Fun"));
        data.first();
        for (int i = 0; i < c.row; ++i)
            data.next();
        EXPECT_EQ(e.evaluate(data), QString::fromLatin1(c.key));
    }
}

TEST(GroupExpression, RefusesWhatItDoesNotUnderstand)
{
    for (const char* text : {"", "Fun.EP_CODIGO - Fun.FU_CODIGO", "UPPER(Fun.IN_CODIGO)",
                             "Emp.EP_CODIGO", "COPY(Fun.IN_CODIGO,1)", "COPY(Fun.IN_CODIGO,a,1)",
                             "Fun.", "Fun.EP_CODIGO +", "'open", "(Fun.EP_CODIGO", "Fun.A Fun.B"}) {
        SCOPED_TRACE(text);
        try {
            GroupExpression::parse(QString::fromLatin1(text), QStringLiteral("Fun"));
            ADD_FAILURE() << "accepted";
        } catch (const ReportError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(text))) << e.what();
        }
    }
}

} // namespace
