#include "app/formall.h"
#include "app/formset.h"
#include "display/emulation.h"
#include "display/formbaud.h"
#include "display/formint.h"
#include "shared/appcontext.h"
#include "shared/guardedsend.h"

namespace vq {

namespace {

void select(std::size_t row, CommPort& port, AppContext& ctx)
{
    selectEmulation(port, ctx.boxes(), ctx.state(), kEmulations[row]);
}

} // namespace

void Formall::numZtk_Click()
{
    select(emulationRow("numZtk"), Comm1(), m_ctx);
}
void Formall::NUMDSP800_Click()
{
    select(emulationRow("NUMDSP800"), Comm1(), m_ctx);
}
void Formall::NUMPOS_Click()
{
    select(emulationRow("NUMPOS"), Comm1(), m_ctx);
}
void Formall::NUMADM788_Click()
{
    select(emulationRow("NUMADM788"), Comm1(), m_ctx);
}
void Formall::NUMADM787_Click()
{
    select(emulationRow("NUMADM787"), Comm1(), m_ctx);
}
void Formall::NUMAEDEX_Click()
{
    select(emulationRow("NUMAEDEX"), Comm1(), m_ctx);
}
void Formall::NUMUTCP_Click()
{
    select(emulationRow("NUMUTCP"), Comm1(), m_ctx);
}
void Formall::NUMUTCS_Click()
{
    select(emulationRow("NUMUTCS"), Comm1(), m_ctx);
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
        m_ctx.boxes().ShowMessage(QStringLiteral("Please Close the port first"), 4, kMessageTitle);
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
