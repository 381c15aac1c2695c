#include "app/appcontext.h"
#include "app/formall.h"

namespace vq {

void Formall::numrun_Click() {}
void Formall::numsave_Click() {}
void Formall::numlow_Click() {}
void Formall::numupperline_Click() {}
void Formall::numlowerline_Click() {}
void Formall::numedmo_Click() {}

} // namespace vq
