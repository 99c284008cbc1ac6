#include "installer/framework/Components.h"

TInstallObject::TInstallObject(QObject* container)
    : QObject(container)
{
}

TInstallObject* TInstallObject::container() const
{
    return qobject_cast<TInstallObject*>(parent());
}

QList<TInstallObject*> TInstallObject::members() const
{
    QList<TInstallObject*> list;
    for (QObject* child : children())
        if (auto* member = qobject_cast<TInstallObject*>(child))
            list << member;
    return list;
}

TInstallEngine::TInstallEngine(QObject* container)
    : TInstallObject(container)
{
    DestDirType = psEngineFolder;
}

TInstall::TInstall(QObject* owner)
    : TInstallObject(owner)
{
    DestDirType = psProgramFiles;
}

const TTranslator::Entry* TTranslator::entry(TYLanguage language) const
{
    for (const Entry& e : Languages)
        if (e.language == language)
            return &e;
    return nullptr;
}

QString TTranslator::text(int glid) const
{
    if (const Entry* e = entry(TranslateIntoLanguage); e && e->strings.contains(glid))
        return e->strings.text(glid);
    if (const Entry* e = entry(ylEnglish))
        return e->strings.text(glid);
    return {};
}

QFont TTranslator::font() const
{
    const Entry* e = entry(TranslateIntoLanguage);
    if (!e)
        e = entry(ylEnglish);
    QFont font;
    if (e && !e->fontName.isEmpty()) {
        font.setFamily(e->fontName);
        if (e->fontHeight < 0)
            font.setPixelSize(-e->fontHeight);
        else if (e->fontHeight > 0)
            font.setPointSize(e->fontHeight);
    }
    return font;
}
