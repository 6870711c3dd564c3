#include "device/driver_library.h"

#include "core/platform/dynamic_library.h"

bool DriverFunctions::IsUsable() const
{
    return Set_VIDPID && Open_DevMonitor && Close_DevMonitor && Open_FeatureDevice && Close_FeatureDevice
           && SetFeature;
}

std::unique_ptr<DriverLibrary> DriverLibrary::Load(const QString& path, QString* error)
{
    std::unique_ptr<DynamicLibrary> library = DynamicLibrary::Load(path, error);
    if (!library)
        return nullptr;
    DriverFunctions functions;
    functions.Set_VIDPID = library->ResolveAs<Karvo_Set_VIDPID>("Set_VIDPID");
    functions.Open_DevMonitor = library->ResolveAs<Karvo_Open_DevMonitor>("Open_DevMonitor");
    functions.Close_DevMonitor = library->ResolveAs<Karvo_Close_DevMonitor>("Close_DevMonitor");
    functions.Open_FeatureDevice = library->ResolveAs<Karvo_Open_FeatureDevice>("Open_FeatureDevice");
    functions.Close_FeatureDevice = library->ResolveAs<Karvo_Close_FeatureDevice>("Close_FeatureDevice");
    functions.SetFeature = library->ResolveAs<Karvo_SetFeature>("SetFeature");
    functions.GetFeature = library->ResolveAs<Karvo_GetFeature>("GetFeature");
    if (!functions.IsUsable()) {
        if (error)
            *error = QStringLiteral("%1 lacks a driver export").arg(path);
        return nullptr;  // the library is unloaded on the way out
    }
    return std::unique_ptr<DriverLibrary>(new DriverLibrary(std::move(library), functions));
}

DriverLibrary::DriverLibrary(std::unique_ptr<DynamicLibrary> library, const DriverFunctions& functions)
    : m_library(std::move(library)), m_functions(functions)
{
}

DriverLibrary::~DriverLibrary() = default;
