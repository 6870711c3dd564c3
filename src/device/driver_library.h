#pragma once

#include <QString>
#include <memory>

#include "karvo_driver.h"

class DynamicLibrary;

// The seven exports of a driver library. Tests hand in tables of their own.
struct DriverFunctions {
    Karvo_Set_VIDPID Set_VIDPID = nullptr;
    Karvo_Open_DevMonitor Open_DevMonitor = nullptr;
    Karvo_Close_DevMonitor Close_DevMonitor = nullptr;
    Karvo_Open_FeatureDevice Open_FeatureDevice = nullptr;
    Karvo_Close_FeatureDevice Close_FeatureDevice = nullptr;
    Karvo_SetFeature SetFeature = nullptr;
    Karvo_GetFeature GetFeature = nullptr;

    // Every export the utility calls is there (GetFeature is never called).
    bool IsUsable() const;
};

// A driver library loaded from disk with its exports resolved by name. A library that is missing
// or lacks an export it needs gives nothing: its link stays closed.
class DriverLibrary {
public:
    static std::unique_ptr<DriverLibrary> Load(const QString& path, QString* error = nullptr);
    ~DriverLibrary();

    const DriverFunctions& Functions() const { return m_functions; }

private:
    DriverLibrary(std::unique_ptr<DynamicLibrary> library, const DriverFunctions& functions);

    std::unique_ptr<DynamicLibrary> m_library;
    DriverFunctions m_functions;
};
