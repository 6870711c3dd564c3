#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "karvo_post_target.h"

class DynamicLibrary;

// The entry points of the input-hook library, in their fixed order. Each is absent until resolved
// and stays absent when the library is missing; the call helpers skip absent entries.
struct HookTable {
    using NoArgument = void (*)();
    using Flag = void (*)(std::uint32_t);
    using Target = std::int32_t (*)(const KarvoPostTarget*);

    NoArgument installmousehook = nullptr;
    NoArgument removemousehook = nullptr;
    Flag enablemousehook = nullptr;
    Target installhook = nullptr;
    NoArgument removehook = nullptr;
    Flag enablehook = nullptr;
    Flag mousewheelenable = nullptr;

    static constexpr const char* kExportNames[7] = {"installmousehook", "removemousehook", "enablemousehook",
                                                    "installhook",      "removehook",      "enablehook",
                                                    "mousewheelenable"};

    bool IsEmpty() const;
    void RemoveMouseHook() const;
    void EnableMouseHook(std::uint32_t enable) const;
    // True when the library captures the whole desktop's input for the target; false when it is
    // missing or cannot (no X server, a Wayland session), and then no event will arrive.
    bool InstallHook(const KarvoPostTarget* target) const;
    void RemoveHook() const;
    void EnableHook(std::uint32_t enable) const;
    void MouseWheelEnable(std::uint32_t enable) const;
};

// "Hook.so" beside the program: loaded once, its entries resolved into the table; freed last.
class HookLibrary {
public:
    static constexpr const char* kFileName = "Hook.so";

    HookLibrary();
    ~HookLibrary();

    // Loads from the folder (ends in a separator). False, with an empty table, when it cannot.
    bool Load(const QString& folder);
    // Calls the two remove entries when they were resolved, then unloads.
    void Free();
    const HookTable& Table() const { return m_table; }

private:
    std::unique_ptr<DynamicLibrary> m_library;
    HookTable m_table;
};
