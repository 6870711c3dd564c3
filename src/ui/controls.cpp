#include "ui/controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <optional>

#include "ui/resource_manager.h"

QString ControlText(const QWidget* control)
{
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        return spin->text();
    return {};
}

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}

void SetControlTextKey(QWidget* control, const QString& key)
{
    control->setProperty(kTextKeyProperty, key);
    SetControlText(control, CResourceManager::Instance().GetText(key));
}

void SelectItem(QWidget* listOrCombo, int index, bool notify)
{
    std::optional<QSignalBlocker> blocker;
    if (!notify)
        blocker.emplace(listOrCombo);
    if (auto* list = qobject_cast<QListWidget*>(listOrCombo))
        list->setCurrentRow(index);
    else if (auto* combo = qobject_cast<QComboBox*>(listOrCombo))
        combo->setCurrentIndex(index);
}

int SelectedItem(const QWidget* listOrCombo)
{
    if (const auto* list = qobject_cast<const QListWidget*>(listOrCombo))
        return list->currentRow();
    if (const auto* combo = qobject_cast<const QComboBox*>(listOrCombo))
        return combo->currentIndex();
    return -1;
}

void SetSelected(QAbstractButton* option, bool selected, bool notify)
{
    std::optional<QSignalBlocker> blocker;
    if (!notify)
        blocker.emplace(option);
    option->setChecked(selected);
}

void SetShown(QWidget* control, bool shown)
{
    if (control)
        control->setVisible(shown);
}

void SetControlValue(QWidget* sliderOrProgress, int value)
{
    const QSignalBlocker blocker(sliderOrProgress);
    if (auto* slider = qobject_cast<QAbstractSlider*>(sliderOrProgress))
        slider->setValue(value);
    else if (auto* progress = qobject_cast<QProgressBar*>(sliderOrProgress))
        progress->setValue(value);
    else if (auto* spin = qobject_cast<QSpinBox*>(sliderOrProgress))
        spin->setValue(value);
}

void SelectTabItem(QStackedWidget* tabs, int index)
{
    if (index < 0 || index >= tabs->count()) {
        tabs->hide();
        return;
    }
    tabs->setCurrentIndex(index);
    tabs->show();
}

int SelectedTabItem(const QStackedWidget* tabs)
{
    return tabs->isHidden() ? -1 : tabs->currentIndex();
}
