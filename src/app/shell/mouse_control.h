#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// What the running utility offers to scripts: the narrow view of the settings page and the device
// links that the D-Bus service works through.
struct MouseStatus {
    QString currentProfile;
    int currentProfileIndex = 0;
    int currentStage = 0;    // 1..8
    int currentDpi = 0;      // of the current stage
    int batteryLevel = -1;   // percent; -1 while the mouse has not reported it
    bool charging = false;
    QStringList links;       // of "cable", "receiver", "bluetooth": the links that are up

    bool operator==(const MouseStatus&) const = default;
};

// The outcome of an import: the new entry's position and name, or why nothing was imported.
struct ImportOutcome {
    QString error;  // empty on success
    int index = -1;
    QString name;
    bool notSaved = false;  // the file was sound, but the import could not be kept on disk
};

class MouseControl {
public:
    virtual ~MouseControl() = default;

    virtual QStringList ProfileNames() const = 0;
    virtual MouseStatus Status() const = 0;
    virtual QString DataFolder() const = 0;

    // Makes the profile at index current and sends it to the mouse. False when there is none.
    virtual bool SwitchProfile(int index) = 0;
    // Asks for pro.data to be written as the profiles stand now; done runs on the UI thread once
    // that is on disk (an empty error) or could not be done. The UI thread never waits for it.
    virtual void SaveProfiles(std::function<void(const QString& error)> done) = 0;
    // Sends the whole current profile to the mouse again.
    virtual void Apply() = 0;
    // Reads the file away from the UI thread and adds its record like the window's import; done
    // runs on the UI thread once the import is on disk, or with why it is not.
    virtual void ImportProfile(const QString& path, std::function<void(const ImportOutcome&)> done) = 0;
    virtual void ImportMacro(const QString& path, std::function<void(const ImportOutcome&)> done) = 0;
};
