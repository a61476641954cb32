#pragma once
// Read access to the operating system's registry as the About box uses it:
// a value under a root key, a key path and a value name. On Windows this is
// the real registry; elsewhere a small lookup stands in for the one key the
// About box needs, the system-information tool's path.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace corvale {

// Root key handle of the local machine's registry.
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;

// Keys and value names the About box reads.
inline const QString kMsinfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString kMsinfoValue = QStringLiteral("PATH");
inline const QString kToolsLocationKey =
    QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString kToolsLocationValue = QStringLiteral("MSINFO");

class Registry {
public:
    virtual ~Registry() = default;
    // The value as text, or nothing when the key or the value is absent.
    virtual std::optional<QString> value(std::uint32_t root, const QString& keyPath,
                                         const QString& valueName) const = 0;
};

// Answers the system-information key's "PATH" under the local-machine root
// with the first candidate program found on the search path; nothing for
// any other key or value.
class SystemInfoLookup : public Registry {
public:
    // Empty search paths mean the PATH of the environment.
    explicit SystemInfoLookup(QStringList candidates = DefaultCandidates(),
                              QStringList searchPaths = {});
    std::optional<QString> value(std::uint32_t root, const QString& keyPath,
                                 const QString& valueName) const override;
    // System-information programs of common desktops, most detailed first.
    static QStringList DefaultCandidates();

private:
    QStringList candidates_;
    QStringList searchPaths_;
};

// The registry of this machine: the real one on Windows, the lookup above
// elsewhere.
Registry& SystemRegistry();

} // namespace corvale
