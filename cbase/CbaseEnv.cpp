#include "cbase/CbaseEnv.h"

TCbaseEnv::TCbaseEnv(QObject* parent)
    : QObject(parent)
{
}

TCbaseEnv::~TCbaseEnv() = default;
