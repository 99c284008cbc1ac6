#include "cbase/CbaseEnv.h"

#include <QObject>
#include <QPointer>
#include <QVariant>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct Property {
    const char* name;
    QVariant initial;
    QVariant other;
};

const Property kProperties[] = {
    {"SetDeleteON", false, true},    {"SetExactON", false, true},
    {"SetDecimalsTO", 0, 2},         {"SetDateFORMAT", QString(), QStringLiteral("dd/mm/yyyy")},
    {"SetEpoch", 0, 1900},           {"SetPath", QString(), QStringLiteral("C:\\fp")},
    {"SetExclusiveON", false, true}, {"SetSoftSeekON", false, true},
    {"SetUniqueON", false, true},    {"SetConfirmON", false, true},
    {"SetInsertON", false, true},
};

TEST(TCbaseEnv, StartsZeroFalseOrEmpty)
{
    TCbaseEnv env;
    for (const auto& p : kProperties) {
        SCOPED_TRACE(p.name);
        const QVariant value = env.property(p.name);
        ASSERT_TRUE(value.isValid()) << "no such property";
        EXPECT_EQ(value.metaType(), p.initial.metaType());
        EXPECT_EQ(value, p.initial);
    }
    EXPECT_TRUE(env.SetPath().isEmpty());
    EXPECT_EQ(env.SetEpoch(), 0);
}

TEST(TCbaseEnv, PropertiesAreIndependentStoredValues)
{
    TCbaseEnv env;
    for (const auto& p : kProperties) {
        SCOPED_TRACE(p.name);
        ASSERT_TRUE(env.setProperty(p.name, p.other));
        for (const auto& q : kProperties)
            EXPECT_EQ(env.property(q.name), &q == &p ? q.other : q.initial) << q.name;
        ASSERT_TRUE(env.setProperty(p.name, p.initial));
    }
    env.setSetDecimalsTO(4);
    EXPECT_EQ(env.property("SetDecimalsTO"), 4);
}

TEST(TCbaseEnv, OwnedByItsParent)
{
    auto owner = std::make_unique<QObject>();
    QPointer<TCbaseEnv> env = new TCbaseEnv(owner.get());
    env->setObjectName(QStringLiteral("CbaseEnv1"));
    EXPECT_EQ(owner->findChild<TCbaseEnv*>(QStringLiteral("CbaseEnv1")), env.data());
    owner.reset();
    EXPECT_TRUE(env.isNull());
}

} // namespace
