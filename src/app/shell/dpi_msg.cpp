#include "app/shell/dpi_msg.h"

#include <QWidget>

#include "ui/controls.h"
#include "ui/work_area.h"

CDPIMsg::CDPIMsg(const QString& text) : m_text(text) {}

QRect CDPIMsg::PlacementFor(const QRect& workArea)
{
    return QRect(workArea.width() - 210, workArea.height() - 60, 200, 50);
}

void CDPIMsg::OnWindowBuilt()
{
    m_label = PaintManager().FindControl(QStringLiteral("dpi_label"));
    if (!m_label)
        return;  // a skin without the label keeps the creation geometry
    SetControlText(m_label, m_text);
    GetHWND()->setGeometry(PlacementFor(PrimaryWorkArea()));
}

void CDPIMsg::SetText(const QString& text)
{
    m_text = text;
    if (m_label)
        SetControlText(m_label, text);
}
