#include "sim/dghresponder.h"

#include <gtest/gtest.h>

using namespace corvale;

namespace {

struct Modules : ::testing::Test {
    FlumeModel model{FlumeModel::Settings{2.0, 10.0, 0.5, 7}};
    DghResponder dgh{model};

    QByteArray ask(const QByteArray& line) {
        const auto reply = dgh.respond(line + '\r');
        return reply ? *reply : QByteArray("<silent>");
    }
    // The value characters 3 to 10 of a reading, as the station takes them.
    double reading(const QByteArray& line) {
        const QByteArray reply = ask(line);
        EXPECT_TRUE(reply.startsWith('*')) << reply.constData();
        EXPECT_EQ(reply.size(), 11) << reply.constData();
        return reply.mid(2, 8).toDouble();
    }
};

} // namespace

TEST_F(Modules, RelayPositionsSwitchTheMotorsClearedMeaningPowerOn) {
    EXPECT_FALSE(model.thrusterPowered());
    EXPECT_FALSE(model.profilerPowered());
    EXPECT_FALSE(model.wavePowered());
    EXPECT_EQ(ask("$9CP02"), "*\r");
    EXPECT_TRUE(model.thrusterPowered());
    EXPECT_EQ(ask("$9CP03"), "*\r");
    EXPECT_TRUE(model.profilerPowered());
    EXPECT_EQ(ask("$9CP04"), "*\r");
    EXPECT_TRUE(model.wavePowered());
    EXPECT_EQ(ask("$9SP02"), "*\r");
    EXPECT_FALSE(model.thrusterPowered());
    EXPECT_TRUE(model.wavePowered());
}

TEST_F(Modules, DigitalInputsCarryTheProfilerPermitsInTheLastDigit) {
    EXPECT_EQ(ask("$9DI"), "*0003\r");
    ask("$9CP03");
    ask("$2AO+05000.00");
    model.advance(30);
    EXPECT_EQ(ask("$9DI"), "*0001\r"); // top end stop: up no longer allowed
    ask("$2AO-05000.00");
    model.advance(1);
    EXPECT_EQ(ask("$9DI"), "*0003\r");
    model.advance(30);
    EXPECT_EQ(ask("$9DI"), "*0002\r"); // bottom end stop
}

TEST_F(Modules, CarriageMovesOnlyWhilePoweredAndDriven) {
    ask("$2AO+05000.00");
    model.advance(3);
    EXPECT_DOUBLE_EQ(model.carriagePosition(), 0.5); // driven but unpowered
    ask("$9CP03");
    model.advance(2);
    EXPECT_NEAR(model.carriagePosition(), 0.7, 1e-9); // 10 s end to end
    ask("$2AO+00000.00");
    model.advance(2);
    EXPECT_NEAR(model.carriagePosition(), 0.7, 1e-9);
    ask("$2AO-05000.00");
    model.advance(1);
    EXPECT_NEAR(model.carriagePosition(), 0.6, 1e-9);
    ask("$2AO-00000.00"); // the stop keeps the sign of the button that sent it
    model.advance(1);
    EXPECT_NEAR(model.carriagePosition(), 0.6, 1e-9);
    ask("$2AO-05000.00");
    ask("$9SP03");
    model.advance(1);
    EXPECT_NEAR(model.carriagePosition(), 0.6, 1e-9);
}

TEST_F(Modules, CarriageStopsAtTheEndStopsAndItsCurrentFalls) {
    EXPECT_EQ(reading("$7RD"), 0); // unpowered
    ask("$9CP03");
    const double standing = reading("$7RD");
    ask("$2AO+05000.00");
    const double lifting = reading("$7RD");
    EXPECT_GT(lifting, standing);
    model.advance(100);
    EXPECT_EQ(model.carriagePosition(), 1.0);
    EXPECT_EQ(reading("$7RD"), standing); // limit switch cut the drive
    ask("$2AO-05000.00");
    model.advance(100);
    EXPECT_EQ(model.carriagePosition(), 0.0);
}

TEST_F(Modules, MotorFrequencyFollowsItsSetPointWithAFirstOrderLag) {
    ask("$0AO+01000.00");
    model.advance(5);
    EXPECT_EQ(reading("$1RD"), 0); // a set point without power drives nothing
    ask("$9CP02");
    model.advance(2); // one time constant
    EXPECT_NEAR(reading("$1RD"), 25.0 * (1 - std::exp(-1.0)), 0.01);
    model.advance(60);
    EXPECT_NEAR(reading("$1RD") * 60, 1500, 0.5); // full slider on the station's RPM
    ask("$9SP02");
    model.advance(2);
    EXPECT_NEAR(reading("$1RD"), 25.0 * std::exp(-1.0), 0.01); // decays unpowered
    EXPECT_EQ(reading("$5RD"), 0);

    ask("$9CP04");
    ask("$3AO+05000.00");
    model.advance(60);
    EXPECT_NEAR(reading("$4RD") * 60 / 74, 60, 0.05);
    EXPECT_GT(reading("$6RD"), 100);
}

TEST_F(Modules, CurrentsFollowTheLoad) {
    ask("$9CP02");
    ask("$0AO+00200.00");
    model.advance(60);
    const double low = reading("$5RD");
    ask("$0AO+01000.00");
    model.advance(60);
    const double high = reading("$5RD");
    EXPECT_GT(low, 0);
    EXPECT_GT(high, 2 * low);
}

TEST_F(Modules, PhElectrodeReadsBackThroughTheStationStartCalibration) {
    for (int i = 0; i < 5; ++i) {
        model.advance(400);
        const double mv = reading("$ARD");
        const double kelvin = model.temperature() + 273.15;
        const double ph = ((mv / 1000 - 2.5) / 0.000198416) / 4.5 / kelvin + 7;
        EXPECT_NEAR(ph, model.ph(), 0.0005);
        EXPECT_GT(model.ph(), 7.5);
        EXPECT_LT(model.ph(), 8.5);
    }
}

TEST_F(Modules, ReadingsAreASignAndEightCharacters) {
    EXPECT_EQ(DghResponder::readingText(123.45), "+00123.45");
    EXPECT_EQ(DghResponder::readingText(-123.45), "-00123.45");
    EXPECT_EQ(DghResponder::readingText(-0.001), "+00000.00");
    EXPECT_EQ(DghResponder::readingText(2717.687), "+02717.69");
    EXPECT_EQ(DghResponder::readingText(1e9), "+99999.99");
    EXPECT_EQ(DghResponder::readingText(-1e9), "-99999.99");
}

TEST_F(Modules, UnknownAddressesStaySilentAndUnknownCommandsGetAQuestionMark) {
    EXPECT_EQ(ask("$8RD"), "<silent>");
    EXPECT_EQ(ask("$BRD"), "<silent>");
    EXPECT_EQ(ask("$aRD"), "<silent>"); // addresses are case-sensitive
    EXPECT_EQ(ask("1RD"), "<silent>");  // no "$": not a command
    EXPECT_EQ(ask(""), "<silent>");
    EXPECT_EQ(ask("$"), "<silent>");

    EXPECT_TRUE(ask("$1XX").startsWith("?1")) << ask("$1XX").constData();
    EXPECT_TRUE(ask("$1").startsWith("?1"));
    EXPECT_TRUE(ask("$0RD").startsWith("?0")); // an output module has nothing to read
    EXPECT_TRUE(ask("$5AO+00001.00").startsWith("?5"));
    EXPECT_TRUE(ask("$9DI1").startsWith("?9"));
    EXPECT_TRUE(ask("$9SP2").startsWith("?9"));
    EXPECT_TRUE(ask("$9CP16").startsWith("?9"));
    EXPECT_TRUE(ask("$0AO00250.00").startsWith("?0")); // sign missing
    EXPECT_TRUE(ask("$0AO+0x250.00").startsWith("?0"));
    EXPECT_TRUE(ask("$1rd").startsWith("?1"));
    EXPECT_TRUE(ask("$1XX").endsWith('\r'));
    // A rejected value changes nothing.
    ask("$0AO+00250.00");
    ask("$0AO+abc");
    EXPECT_EQ(model.analogOutput('0'), 250);
}

TEST_F(Modules, NoiseBeforeTheCommandIsIgnored) {
    EXPECT_EQ(ask("\x07zz$9DI"), "*0003\r");
    EXPECT_EQ(ask("$1R$9DI"), "*0003\r"); // a new "$" starts a new command
    EXPECT_EQ(DghResponder::addressOf("xx$4RD\r"), '4');
    EXPECT_EQ(DghResponder::addressOf("4RD"), 0);
}

TEST(ModuleLines, CompleteLinesAreSplitOffAndTheTailKept) {
    QByteArray buffer("$9DI\r$1RD\r$4R");
    EXPECT_EQ(DghResponder::takeLines(buffer), (QList<QByteArray>{"$9DI", "$1RD"}));
    EXPECT_EQ(buffer, "$4R");
    buffer += "D\r";
    EXPECT_EQ(DghResponder::takeLines(buffer), QList<QByteArray>{"$4RD"});
    EXPECT_TRUE(buffer.isEmpty());
}
