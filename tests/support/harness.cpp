#include "harness.h"

#include "serial/termiosport.h"

namespace vq::test {

Harness::Harness(BoxKind kind)
{
    make(
        [this] {
            auto p = std::make_unique<FakePort>(written, missing);
            port = p.get();
            ++portsMade;
            return p;
        },
        kind);
}

Harness::Harness(const PortMap& map, BoxKind kind)
{
    make(systemPortFactory(map), kind);
}

Harness::~Harness() = default;

void Harness::make(PortFactory ports, BoxKind kind)
{
    m_real = std::make_unique<WidgetBoxes>(state);
    Boxes& chosen = kind == Real ? static_cast<Boxes&>(*m_real) : boxes;
    m_ctx = std::make_unique<AppContext>(state, chosen, std::move(ports),
                                         [](AppContext& c) { return new Formall(c); });
    m_ctx->setEndHandler([this] { ++ends; });
}

} // namespace vq::test
