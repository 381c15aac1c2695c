#include "app/formall.h"
#include "demo/datasave.h"
#include "demo/democommands.h"
#include "demo/interactive.h"
#include "shared/appcontext.h"

namespace vq {

void Formall::numrun_Click()
{
    showDemoMessages(*m_comm1, m_ctx.boxes());
}
void Formall::numsave_Click()
{
    storeDemoMessage(*m_comm1, m_ctx.boxes(), DemoRow::Upper);
}
void Formall::numlow_Click()
{
    storeDemoMessage(*m_comm1, m_ctx.boxes(), DemoRow::Lower);
}

void Formall::numupperline_Click()
{
    clearDemoMessage(*m_comm1, m_ctx.boxes(), DemoRow::Upper);
}

void Formall::numlowerline_Click()
{
    clearDemoMessage(*m_comm1, m_ctx.boxes(), DemoRow::Lower);
}

void Formall::numedmo_Click()
{
    if (startInteractiveDemo(*m_comm1, m_ctx.boxes(), LastOpenError,
                             [this] { return openPress(); }))
        DATASAVE::showDemo(m_ctx);
}

} // namespace vq
