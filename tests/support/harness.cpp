#include "harness.h"

#include "serial/termiosport.h"

namespace vq::test {

namespace {

// Records every whole write in a log the test owns, so it outlives the port; the ports the test
// lists as missing fail to open.
class FakePort : public CommPortCore {
public:
    FakePort(QList<QByteArray>& log, QList<int> missing) : m_log(log), m_missing(std::move(missing))
    {
    }

protected:
    void openDevice(int port, const LineSettings&) override
    {
        if (!m_missing.contains(port))
            return;
        PortFailure f; // in the real port's words
        f.kind = PortFailure::InvalidPort;
        f.port = port;
        throw CommError(f);
    }
    void applyDeviceSettings(const LineSettings&) override {}
    void writeDevice(const QByteArray& bytes) override { m_log << bytes; }
    void closeDevice() override {}

private:
    QList<QByteArray>& m_log;
    QList<int> m_missing;
};

} // namespace

Harness::Harness(BoxKind kind)
{
    make(
        [this] {
            ++portsMade;
            return std::make_unique<FakePort>(written, missing);
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
    m_ctx = std::make_unique<AppContext>(state, session, chosen, std::move(ports),
                                         [](AppContext& c) { return new Formall(c); });
    m_ctx->setEndHandler([this] { ++ends; });
}

} // namespace vq::test
