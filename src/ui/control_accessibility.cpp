#include "ui/control_accessibility.h"

#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>

namespace {

class NamedComboAccessible final : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override
    {
        // A combo without a name of its own is told by its chosen item, as Qt would.
        if (t == QAccessible::Value || (t == QAccessible::Name && Combo()->accessibleName().isEmpty()))
            return Combo()->isEditable() && Combo()->lineEdit() ? Combo()->lineEdit()->text() : Combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    // The drop-down list stays reachable as the combo's one child.
    int childCount() const override { return Combo()->view() ? 1 : 0; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 && Combo()->view() ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && Combo()->view() && child->object() == Combo()->view() ? 0 : -1;
    }

private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }
};

class ScaledSliderAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ScaledSliderAccessible(QAbstractSlider* slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(Slider()->value() * Scale());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return Slider()->value() * Scale(); }
    void setCurrentValue(const QVariant& value) override { Slider()->setValue(value.toInt() / Scale()); }
    QVariant maximumValue() const override { return Slider()->maximum() * Scale(); }
    QVariant minimumValue() const override { return Slider()->minimum() * Scale(); }
    QVariant minimumStepSize() const override { return Slider()->singleStep() * Scale(); }

private:
    QAbstractSlider* Slider() const { return static_cast<QAbstractSlider*>(widget()); }
    int Scale() const { return qMax(1, widget()->property(kAccessibleValueScaleProperty).toInt()); }
};

class ToldProgressAccessible final : public QAccessibleWidget {
public:
    explicit ToldProgressAccessible(QProgressBar* bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return widget()->property(kAccessibleValueProperty).toString();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* ControlAccessibleFactory(const QString&, QObject* object)
{
    // Every combo: Qt may ask for its interface while building it, before any name is set.
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return new NamedComboAccessible(combo);
    if (auto* slider = qobject_cast<QAbstractSlider*>(object);
        slider && slider->property(kAccessibleValueScaleProperty).isValid())
        return new ScaledSliderAccessible(slider);
    if (auto* bar = qobject_cast<QProgressBar*>(object); bar && bar->property(kAccessibleValueProperty).isValid())
        return new ToldProgressAccessible(bar);
    return nullptr;
}

}  // namespace

void InstallControlAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(ControlAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void SetAccessibleValue(QWidget* control, const QString& value)
{
    if (!control)
        return;
    control->setProperty(kAccessibleValueProperty, value);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(control, value);
        QAccessible::updateAccessibility(&event);
    }
}
