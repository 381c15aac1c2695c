#include "app/appcontext.h"
#include "app/formall.h"

namespace vq {

void Formall::numZtk_Click() {}
void Formall::NUMDSP800_Click() {}
void Formall::NUMPOS_Click() {}
void Formall::NUMADM788_Click() {}
void Formall::NUMADM787_Click() {}
void Formall::NUMAEDEX_Click() {}
void Formall::NUMUTCP_Click() {}
void Formall::NUMUTCS_Click() {}
void Formall::numall_Click() {}
void Formall::numbaudrate_Click() {}
void Formall::numinterset_Click() {}
void Formall::numcomm_Click() {}

// Until the settings dialog exists, "Set" and the settings labels refresh the line only.
void Formall::Command3_Click() { settingsLineRefresh(); }

} // namespace vq
