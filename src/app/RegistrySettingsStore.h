#pragma once
// The "Options" section of the per-user profile, as the settings rules see it.
#include "app/Settings.h"
#include "framework/Profile.h"

namespace movalent {

class RegistrySettingsStore final : public SettingsStore {
public:
    explicit RegistrySettingsStore(const Profile& profile) : profile_(profile) {}

    int ReadInt(std::wstring_view name, int defaultValue) override {
        return profile_.GetInt(kSettingsSection, std::wstring(name), defaultValue);
    }
    std::wstring ReadString(std::wstring_view name, const std::wstring& defaultValue) override {
        return profile_.GetString(kSettingsSection, std::wstring(name), defaultValue);
    }
    bool WriteInt(std::wstring_view name, int value) override {
        return profile_.WriteInt(kSettingsSection, std::wstring(name), value);
    }
    bool WriteString(std::wstring_view name, const std::wstring& value) override {
        return profile_.WriteString(kSettingsSection, std::wstring(name), value);
    }
    bool DeleteValue(std::wstring_view name) override {
        return profile_.DeleteEntry(kSettingsSection, std::wstring(name));
    }

private:
    const Profile& profile_;
};

// The installation folder from the machine-wide key; empty when absent, of another type or too long.
std::wstring ReadInstallDir();

} // namespace movalent
