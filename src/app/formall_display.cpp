#include "app/formall.h"
#include "app/formset.h"
#include "display/emulation.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "shared/appcontext.h"
#include "shared/guardedsend.h"

namespace vq {

void Formall::selectRow(const Emulation& row)
{
    selectEmulation(Comm1(), m_ctx.boxes(), m_ctx.session(), row);
}

void Formall::numZtk_Click()
{
    selectRow(emulationRow("numZtk"));
}
void Formall::NUMDSP800_Click()
{
    selectRow(emulationRow("NUMDSP800"));
}
void Formall::NUMPOS_Click()
{
    selectRow(emulationRow("NUMPOS"));
}
void Formall::NUMADM788_Click()
{
    selectRow(emulationRow("NUMADM788"));
}
void Formall::NUMADM787_Click()
{
    selectRow(emulationRow("NUMADM787"));
}
void Formall::NUMAEDEX_Click()
{
    selectRow(emulationRow("NUMAEDEX"));
}
void Formall::NUMUTCP_Click()
{
    selectRow(emulationRow("NUMUTCP"));
}
void Formall::NUMUTCS_Click()
{
    selectRow(emulationRow("NUMUTCS"));
}

void Formall::numall_Click()
{
    resetDisplay(Comm1(), m_ctx.boxes());
}

void Formall::numbaudrate_Click()
{
    if (portOpenOrRefuse(Comm1(), m_ctx.boxes()))
        FormBaud::showDialog(m_ctx);
}

void Formall::numinterset_Click()
{
    if (portOpenOrRefuse(Comm1(), m_ctx.boxes()))
        FormInt::showDialog(m_ctx);
}

void Formall::numcomm_Click()
{
    if (Comm1().portOpen()) {
        m_ctx.boxes().ShowMessage(QStringLiteral("Please Close the port first"), box::Ok,
                                  kMessageTitle);
        return;
    }
    Command3_Click();
}

// Also reached from the Label7 labels; unlike the menu entry it works with the port open.
void Formall::Command3_Click()
{
    {
        FormSet dialog(m_ctx.state(), Comm1(), m_ctx.boxes(), this);
        dialog.exec();
    }
    settingsLineRefresh();
}

} // namespace vq
