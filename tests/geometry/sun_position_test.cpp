#include "geometry/sun_position.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <utility>

#include "geometry/point_ops.h"

namespace vorn {
namespace {

constexpr double kDeg = kPi / 180.0;

SunState SunAt(double latitudeDeg, double declination, double northDeg = 90.0) {
  SunState sun;
  SetSunState(sun, declination, latitudeDeg * kDeg, northDeg);
  return sun;
}

TEST(SunInputs, SeasonsLatitudeAndNorth) {
  EXPECT_EQ(SeasonDeclination(0), -0.40927970959267024);
  EXPECT_EQ(SeasonDeclination(1), 0.0);
  EXPECT_EQ(SeasonDeclination(2), 0.40927970959267024);
  EXPECT_DOUBLE_EQ(LatitudeRadians(36, 0, 0), 36 * kDeg);
  EXPECT_DOUBLE_EQ(LatitudeRadians(35, 40, 30), (35 + 40 / 60.0 + 30 / 3600.0) * kDeg);
  EXPECT_NEAR(NorthAngleFromDegrees(90.0), 0.0, 1e-12);
  EXPECT_NEAR(NorthAngleFromDegrees(0.0), kPi / 2, 1e-12);
  EXPECT_NEAR(NorthAngleFromDegrees(450.0), 0.0, 1e-12);
  EXPECT_LT(NorthAngleFromDegrees(900.0), 0.0);  // lowered only, never raised
}

// The azimuth from due south (west positive) and the cotangent of the altitude, from the
// usual spherical-astronomy formulas.
struct Textbook {
  double azimuth;
  double ratio;
};

Textbook TextbookSun(double latitudeDeg, double declination, double t) {
  const double phi = latitudeDeg * kDeg;
  const double hourAngle = (t - 12) * 15 * kDeg;
  const double sinAlt = std::sin(phi) * std::sin(declination) +
                        std::cos(phi) * std::cos(declination) * std::cos(hourAngle);
  const double altitude = std::asin(sinAlt);
  const double azimuth = std::atan2(std::sin(hourAngle) * std::cos(declination),
                                    std::sin(phi) * std::cos(declination) * std::cos(hourAngle) -
                                        std::cos(phi) * std::sin(declination));
  return {azimuth, 1.0 / std::tan(altitude)};
}

TEST(GetSunPos, AgreesWithTheTextbookAcrossLatitudesSeasonsAndTimes) {
  for (double latitude : {24.3, 35.68, 36.0, 43.06}) {
    for (int season : {0, 1, 2}) {
      const double decl = SeasonDeclination(season);
      const SunState sun = SunAt(latitude, decl);
      for (double t : {8.0, 9.5, 11.0, 12.0, 13.25, 15.0, 16.0}) {
        const SunPos pos = GetSunPos(sun, t, decl);
        ASSERT_TRUE(pos.ok) << latitude << " " << season << " " << t;
        const Textbook expected = TextbookSun(latitude, decl, t);
        EXPECT_NEAR(pos.azimuth, expected.azimuth, 1e-9) << latitude << " " << season << " " << t;
        EXPECT_NEAR(pos.ratio, expected.ratio, 1e-9 * expected.ratio);
      }
    }
  }
}

TEST(GetSunPos, NoonAltitudeAndSymmetryAboutNoon) {
  for (double latitude : {26.2, 35.0, 45.5}) {
    for (int season : {0, 1, 2}) {
      const double decl = SeasonDeclination(season);
      const SunState sun = SunAt(latitude, decl);
      const SunPos noon = GetSunPos(sun, 12.0, decl);
      ASSERT_TRUE(noon.ok);
      EXPECT_EQ(noon.azimuth, 0.0);
      const double altitude = 90 * kDeg - latitude * kDeg + decl;
      EXPECT_NEAR(noon.ratio, 1.0 / std::tan(altitude), 1e-12);
      for (double offset : {0.5, 2.0, 3.75, 4.0}) {
        const SunPos morning = GetSunPos(sun, 12 - offset, decl);
        const SunPos afternoon = GetSunPos(sun, 12 + offset, decl);
        EXPECT_LT(morning.azimuth, 0.0);
        EXPECT_NEAR(morning.azimuth, -afternoon.azimuth, 1e-12);
        EXPECT_NEAR(morning.ratio, afternoon.ratio, 1e-12 * morning.ratio);
      }
    }
  }
}

TEST(GetSunPos, OnlyTheHoursFromEightToSixteenAndASunAboveTheHorizon) {
  const double decl = SeasonDeclination(0);
  const SunState tokyo = SunAt(35.68, decl);
  for (double t : {7.9999999, 16.0000001, 0.0, 24.0, -3.0, std::nan("")}) {
    const SunPos pos = GetSunPos(tokyo, t, decl);
    EXPECT_FALSE(pos.ok) << t;
    EXPECT_EQ(pos.azimuth, 0.0);
    EXPECT_EQ(pos.ratio, 1.0);
  }
  EXPECT_TRUE(GetSunPos(tokyo, 8.0, decl).ok);
  EXPECT_TRUE(GetSunPos(tokyo, 16.0, decl).ok);
  // Beyond the polar circle at the winter solstice the sun stays below the horizon.
  const SunState arctic = SunAt(75.0, decl);
  EXPECT_FALSE(GetSunPos(arctic, 12.0, decl).ok);
}

TEST(ShadowPoint, NoonShadowFallsAlongTrueNorth) {
  for (double north : {90.0, 30.0, 200.0}) {
    const double decl = SeasonDeclination(1);
    const SunState sun = SunAt(36.0, decl, north);
    const SunPos pos = GetSunPos(sun, 12.0, decl);
    const TAcadPoint top{100, 200, 10000};
    const TAcadPoint s = ShadowPoint(top, 4000, ShadowDirection(sun, pos), pos.ratio);
    const double length = 6000 * pos.ratio;
    EXPECT_NEAR(s.x, 100 + length * std::cos(north * kDeg), 1e-7) << north;
    EXPECT_NEAR(s.y, 200 + length * std::sin(north * kDeg), 1e-7) << north;
    EXPECT_EQ(s.z, 0.0);
  }
  // A point at or below the plane is its own shadow.
  EXPECT_EQ(ShadowPoint({1, 2, 4000}, 4000, 1.0, 3.0), (TAcadPoint{1, 2, 0}));
}

TEST(ShadowPoint, MorningShadowsFallWestOfNorth) {
  const double decl = SeasonDeclination(0);
  const SunState sun = SunAt(36.0, decl);
  const SunPos morning = GetSunPos(sun, 9.0, decl);
  const TAcadPoint s = ShadowPoint({0, 0, 1000}, 0, ShadowDirection(sun, morning), morning.ratio);
  EXPECT_LT(s.x, 0.0);  // west
  EXPECT_GT(s.y, 0.0);  // north
}

struct TimeTextCase {
  double t;
  const char* hms;
  const char* hm;
};

TEST(TimeText, SecondsRoundUpToFiveAndCarryMinutesTruncate) {
  const TimeTextCase cases[] = {
      {8.5, "08:30'00\"", "08:30"},        {9.0 + 59 / 60.0 + 58 / 3600.0, "10:00'00\"", "09:59"},
      {9.0 - 1e-9, "09:00'00\"", "08:59"}, {12.0 + 1 / 3600.0 * 3.2, "12:00'05\"", "12:00"},
      {15.75, "15:45'00\"", "15:45"},
  };
  for (const TimeTextCase& c : cases) {
    EXPECT_EQ(TimeToHMS(c.t), c.hms) << c.t;
    EXPECT_EQ(TimeToHM(c.t), c.hm) << c.t;
  }
}

TEST(TimeText, ElapsedTimeAsHoursMinutesAndSeconds) {
  using std::chrono::milliseconds;
  using std::chrono::seconds;
  const std::pair<std::chrono::steady_clock::duration, const char*> cases[] = {
      {seconds(0), "0:00:00"},    {milliseconds(59999), "0:00:59"},
      {seconds(83), "0:01:23"},   {seconds(3599), "0:59:59"},
      {seconds(3600), "1:00:00"}, {seconds(12 * 3600 + 5 * 60 + 9), "12:05:09"},
      {seconds(-3), "0:00:00"},
  };
  for (const auto& [elapsed, text] : cases) EXPECT_EQ(ElapsedText(elapsed), text) << text;
}

}  // namespace
}  // namespace vorn
