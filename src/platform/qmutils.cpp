#include "platform/qmutils.h"

#include "platform/apppath.h"
#include "platform/globalhotkeys.h"
#include "platform/shortcut.h"
#include "platform/singleinstance.h"
#include "platform/soundoutput.h"

#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <map>

namespace loqa {

namespace {

// The in-process atom table: one entry per name, counted like the system's.
struct Atom {
    QString name;
    QKeyCombination shortcut;
    int references = 0;
};

std::map<int, Atom> &atoms()
{
    static std::map<int, Atom> table;
    return table;
}

int addAtom(const QString &name, QKeyCombination shortcut)
{
    auto &table = atoms();
    for (auto &[id, atom] : table) {
        if (atom.name.compare(name, Qt::CaseInsensitive) == 0) {
            ++atom.references;
            return id;
        }
    }
    for (int id = 1; id <= 0x3FFF; ++id) {
        if (!table.count(id)) {
            table[id] = Atom{name, shortcut, 1};
            return id;
        }
    }
    return 0;
}

} // namespace

QString InstanceLockName(const QString &title)
{
    return QStringLiteral("Quillmark ") + title + QStringLiteral(" is runing");
}

bool IsAlreadyRunning()
{
    return AcquireInstanceLock(InstanceLockName(ApplicationTitle()));
}

int RegisterGlobalHotKey(QObject *window, QKeyCombination shortcut)
{
    Q_UNUSED(window); // presses reach the window through GlobalHotkeys::pressed
    if (IsEmptyShortcut(shortcut))
        return 0;
    const int id = addAtom(ApplicationTitle() + ShortcutToText(shortcut), shortcut);
    if (id == 0)
        return 0;
    if (atoms()[id].references == 1)
        GlobalHotkeys::instance().grab(shortcut);
    return id;
}

void UnregisterGlobalHotKey(int id)
{
    auto &table = atoms();
    const auto found = table.find(id);
    if (id == 0 || found == table.end())
        return;
    if (--found->second.references <= 0) {
        GlobalHotkeys::instance().ungrab(found->second.shortcut);
        table.erase(found);
    }
}

QString GlobalHotKeyAtomName(int id)
{
    const auto found = atoms().find(id);
    return found == atoms().end() ? QString() : found->second.name;
}

void ClearReadOnly(const QString &path)
{
    QFile file(path);
    const QFileDevice::Permissions perms = file.permissions();
    if (file.exists() && !(perms & QFileDevice::WriteOwner))
        file.setPermissions(perms | QFileDevice::WriteOwner);
}

QString FileSizeText(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return QStringLiteral("-1");
    return QString::number(info.isDir() ? 0 : info.size());
}

int GetWaveVolume()
{
    return SoundOutput::volume();
}

void SetWaveVolume(int volume)
{
    SoundOutput::setVolume(uint16_t(std::clamp(volume, 0, 65535)));
}

} // namespace loqa
