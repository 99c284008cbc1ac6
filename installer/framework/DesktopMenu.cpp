#include "installer/framework/DesktopMenu.h"

#include "installer/framework/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <stdexcept>

namespace {

// Escapes of a desktop entry's string values.
QString escapeValue(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\'))
            out += QLatin1String("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QLatin1String("\\n");
        else if (c == QLatin1Char('\t'))
            out += QLatin1String("\\t");
        else if (c == QLatin1Char('\r'))
            out += QLatin1String("\\r");
        else if (c == QLatin1Char(' ') && i == 0)
            out += QLatin1String("\\s");
        else
            out += c;
    }
    return out;
}

QString quoteWord(const QString& word)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool plain = !word.isEmpty() && std::none_of(word.begin(), word.end(), [](QChar c) {
        return reserved.contains(c);
    });
    QString out;
    if (plain) {
        out = word;
    } else {
        out = QLatin1Char('"');
        for (const QChar c : word) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += c;
        }
        out += QLatin1Char('"');
    }
    return out.replace(QLatin1Char('%'), QLatin1String("%%"));
}

// The submenu names defined directly under the root menu of a menu file.
QStringList submenusOf(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&in);
    QStringList names;
    QStringList open; // the elements around the reader
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QString element = xml.name().toString();
            if (element == QLatin1String("Name") && open == QStringList{"Menu", "Menu"}) {
                names << xml.readElementText().trimmed();
                continue;
            }
            open << element;
        } else if (token == QXmlStreamReader::EndElement && !open.isEmpty()) {
            open.removeLast();
        }
    }
    return names;
}

// The name of the submenu a menu file written here defines.
QString folderOfMenuFile(const QString& file)
{
    const QStringList names = submenusOf(file);
    return names.isEmpty() ? QString() : names.first();
}

QString slug(const QString& name)
{
    QString out;
    for (const QChar c : name.toLower()) {
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            out += c;
        else if (!out.endsWith(QLatin1Char('-')))
            out += QLatin1Char('-');
    }
    while (out.endsWith(QLatin1Char('-')))
        out.chop(1);
    while (out.startsWith(QLatin1Char('-')))
        out.remove(0, 1);
    return out.isEmpty() ? QStringLiteral("folder") : out;
}

void writeAtomically(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw std::runtime_error("cannot create the folder of " + path.toStdString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(path.toStdString() + ": " + file.errorString().toStdString());
}

} // namespace

QString desktopExecValue(const QString& program, const QStringList& arguments)
{
    QStringList words{quoteWord(program)};
    for (const QString& argument : arguments)
        words << quoteWord(argument);
    return escapeValue(words.join(QLatin1Char(' ')));
}

QString desktopEntryText(const DesktopEntry& entry)
{
    QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
    text += QStringLiteral("Name=") + escapeValue(entry.name) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + desktopExecValue(entry.program, entry.arguments) +
            QLatin1Char('\n');
    if (!entry.workingFolder.isEmpty())
        text += QStringLiteral("Path=") + escapeValue(entry.workingFolder) + QLatin1Char('\n');
    if (!entry.icon.isEmpty())
        text += QStringLiteral("Icon=") + escapeValue(entry.icon) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text;
}

DesktopMenu::DesktopMenu(const InstallPlatform& platform)
    : m_programs(platform.programsMenuFolder())
    , m_merged(platform.mergedMenusFolder())
    , m_directories(platform.menuDirectoriesFolder())
    , m_baseMenus(platform.baseMenuFiles())
{
}

QStringList DesktopMenu::existingFolders() const
{
    QStringList names;
    for (const QString& file : m_baseMenus)
        names += submenusOf(file);
    const QDir merged(m_merged);
    for (const QString& file : merged.entryList({QStringLiteral("*.menu")}, QDir::Files))
        names += submenusOf(merged.filePath(file));
    names.removeAll(QString());
    names.removeDuplicates();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QString DesktopMenu::folderPath(const QString& name) const
{
    return m_programs + QLatin1Char('/') + name;
}

QString DesktopMenu::menuBaseName(const QString& name) const
{
    // Two folder names may share a slug; each keeps the menu file that already names it.
    const QString base = QStringLiteral("brevand-") + slug(name);
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        const QString file = m_merged + QLatin1Char('/') + candidate + QStringLiteral(".menu");
        if (!QFileInfo::exists(file) || folderOfMenuFile(file) == name)
            return candidate;
    }
}

QString DesktopMenu::menuFilePath(const QString& name) const
{
    return m_merged + QLatin1Char('/') + menuBaseName(name) + QStringLiteral(".menu");
}

QString DesktopMenu::directoryEntryPath(const QString& name) const
{
    return m_directories + QLatin1Char('/') + menuBaseName(name) + QStringLiteral(".directory");
}

QString DesktopMenu::writeEntry(const QString& name, const QString& fileName,
                                const DesktopEntry& entry)
{
    const QString path = folderPath(name) + QLatin1Char('/') + fileName;
    writeAtomically(path, desktopEntryText(entry).toUtf8());
    return path;
}

bool DesktopMenu::refresh(const QString& name)
{
    const QString menuFile = menuFilePath(name);
    const QString directoryEntry = directoryEntryPath(name);
    const QDir folder(folderPath(name));
    const QStringList entries =
        folder.exists() ? folder.entryList({QStringLiteral("*.desktop")}, QDir::Files, QDir::Name)
                        : QStringList();
    if (entries.isEmpty()) {
        bool removed = true;
        for (const QString& file : {menuFile, directoryEntry})
            if (QFileInfo::exists(file) && !QFile::remove(file))
                removed = false;
        if (folder.exists() && !QDir().rmdir(folder.path()))
            removed = false;
        return removed;
    }

    QString directoryText = QStringLiteral("[Desktop Entry]\nType=Directory\n");
    directoryText +=
        QStringLiteral("Name=") + escapeValue(name) + QStringLiteral("\nIcon=folder\n");
    writeAtomically(directoryEntry, directoryText.toUtf8());

    QByteArray menu;
    QXmlStreamWriter xml(&menu);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("Menu"));
    xml.writeTextElement(QStringLiteral("Name"), QStringLiteral("Applications"));
    xml.writeStartElement(QStringLiteral("Menu"));
    xml.writeTextElement(QStringLiteral("Name"), name);
    xml.writeTextElement(QStringLiteral("Directory"), QFileInfo(directoryEntry).fileName());
    xml.writeStartElement(QStringLiteral("Include"));
    // A desktop file's id is its path under the programs folder with "/" as "-".
    for (const QString& entry : entries)
        xml.writeTextElement(QStringLiteral("Filename"), name + QLatin1Char('-') + entry);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    writeAtomically(menuFile, menu);
    return true;
}
