// links: chirpel_platform_store
// Reads arbitrary bytes as the settings file: every input either reads or is refused whole; what
// reads writes back to text that reads as the same hive, and its values read by the registry rules.
#include "platform/store/RegFile.h"
#include "platform/store/Registry.h"

#include <cstddef>
#include <cstdint>

namespace {

// Hands the fuzzed hive to a registry handle, as the file store would.
class HiveStore final : public platform::RegistryStore {
public:
    explicit HiveStore(platform::RegHive hive) : FHive(std::move(hive)) {}
    platform::RegHive load(platform::RootKey) override { return FHive; }
    bool save(platform::RootKey, const platform::RegHive &hive) override
    {
        FHive = hive;
        return true;
    }
    bool isWritable(platform::RootKey) const override { return true; }
    int failedSaves() const override { return 0; }

private:
    platform::RegHive FHive;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString root = QStringLiteral("HKEY_CURRENT_USER");
    platform::RegParseError error;
    const std::optional<platform::RegHive> hive = platform::parseRegFile(bytes, root, &error);
    if (!hive) {
        if (error.reason.isEmpty()) __builtin_trap();
        return 0;
    }

    const QByteArray written = platform::formatRegFile(*hive, root);
    const std::optional<platform::RegHive> again = platform::parseRegFile(written, root);
    if (!again || !(*again == *hive) || platform::formatRegFile(*again, root) != written) __builtin_trap();

    HiveStore store(*hive);
    platform::Registry registry(platform::RootKey::CurrentUser, store);
    for (const QString &path : hive->keyPaths()) {
        if (!registry.openKeyReadOnly(QLatin1Char('\\') + path)) __builtin_trap();
        for (const auto &[name, value] : hive->key(path)->entries()) {
            const std::optional<QString> text = registry.readString(name);
            const std::optional<qint32> number = registry.readInteger(name);
            // Exactly the number kind reads as a number; a text read fails only for other kinds with data.
            if (number.has_value() != (value.type == platform::RegDword)) __builtin_trap();
            if (text.has_value() != (value.isText() || !value.hasData())) __builtin_trap();
        }
    }
    return 0;
}
