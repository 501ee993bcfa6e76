#include "about/formensurio.h"

namespace mensurio {

ForMensurio::ForMensurio(Context& context) : context_(context)
{
    setObjectName(QStringLiteral("ForMensurio"));
}

void ForMensurio::Form_Load() {}

} // namespace mensurio
