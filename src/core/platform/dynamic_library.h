#pragma once

#include <QString>
#include <memory>

class QLibrary;

// A library loaded at run time from a path. Unloaded when the object goes, on every path.
class DynamicLibrary {
public:
    // An absent library when the file is missing or cannot be loaded.
    static std::unique_ptr<DynamicLibrary> Load(const QString& path, QString* error = nullptr);
    ~DynamicLibrary();

    // The address of an export, or nullptr.
    void* Resolve(const char* exportName) const;
    template <typename Function>
    Function ResolveAs(const char* exportName) const
    {
        return reinterpret_cast<Function>(Resolve(exportName));
    }

private:
    explicit DynamicLibrary(std::unique_ptr<QLibrary> library);
    std::unique_ptr<QLibrary> m_library;
};
