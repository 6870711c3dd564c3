#include "core/platform/dynamic_library.h"

#include <QFileInfo>
#include <QLibrary>

std::unique_ptr<DynamicLibrary> DynamicLibrary::Load(const QString& path, QString* error)
{
    if (!QFileInfo(path).isFile()) {
        if (error)
            *error = QStringLiteral("%1 does not exist").arg(path);
        return nullptr;
    }
    auto library = std::make_unique<QLibrary>(path);
    if (!library->load()) {
        if (error)
            *error = library->errorString();
        return nullptr;
    }
    return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(std::move(library)));
}

DynamicLibrary::DynamicLibrary(std::unique_ptr<QLibrary> library) : m_library(std::move(library)) {}

DynamicLibrary::~DynamicLibrary()
{
    m_library->unload();
}

void* DynamicLibrary::Resolve(const char* exportName) const
{
    return reinterpret_cast<void*>(m_library->resolve(exportName));
}
