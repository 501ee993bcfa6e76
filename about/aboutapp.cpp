#include "about/aboutapp.h"

namespace mensurio {

AboutApp::AboutApp(Context& context) : context_(context)
{
    setObjectName(QStringLiteral("AboutApp"));
}

void AboutApp::Form_Load() {}

} // namespace mensurio
