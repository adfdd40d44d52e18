// A realistic module of ours (free form) and an old fixed-form library, checked through their
// JSON form.
#include "parsertesthelper.h"

#include <QFile>

using namespace corvane;
using namespace corvane::test;

namespace
{

std::string dataFile(const char *name)
{
    QFile f(QStringLiteral(CORVANE_TEST_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll().toStdString();
}

} // namespace

TEST(FFileParserRealistic, GeometryModule)
{
    const std::string source = dataFile("geometry.f90");
    checkParseCases(
        {{"geometry.f90",
          source.c_str(),
          {
              // module header, USE and variables
              {"modules/geometry/modulesUsed", "[\"vectors\"]"},
              {"modules/geometry/variables/dp/declaredValue", "\"real64\""},
              {"modules/geometry/variables/pi/typeName", "\"real(dp)\""},
              {"modules/geometry/variables/origin/typeName", "\"vec2\""},
              {"modules/geometry/variables/origin/declaredValue", "\"vec2(0.0_dp,0.0_dp)\""},
              {"modules/geometry/variables/origin/access", "\"public\""},
              // access statements moved onto types and procedures
              {"modules/geometry/variables/shape_t", "<absent>"},
              {"modules/geometry/variables/area_of", "<absent>"},
              {"modules/geometry/types/shape_t/access", "\"public\""},
              {"modules/geometry/types/circle_t/access", "\"public\""},
              {"modules/geometry/procedures/circle_area/access", "\"public\""},
              {"modules/geometry/procedures/square_area/access", "\"public\""},
              // types
              {"modules/geometry/types/shape_t/attributes", "[\"abstract\"]"},
              {"modules/geometry/types/shape_t/variables/label/typeName", "\"character(len=:)\""},
              {"modules/geometry/types/shape_t/typeboundProcedures/0",
               "{\"name\":\"area\",\"attributes\":[\"deferred\",\"pass(self)\"],"
               "\"pass\":true}"},
              {"modules/geometry/types/shape_t/typeboundProcedures/1/bindingName", "\"describe\""},
              {"modules/geometry/types/shape_t/typeboundProcedures/2/bindingName", "\"scale\""},
              {"modules/geometry/types/shape_t/genericBindings", "{\"scale\":[\"scale_shape\"]}"},
              {"modules/geometry/types/circle_t/superclassName", "\"shape_t\""},
              {"modules/geometry/types/circle_t/variables/radius/declaredValue", "\"1.0_dp\""},
              {"modules/geometry/types/circle_t/finalRoutines", "[\"circle_free\"]"},
              // interfaces
              {"modules/geometry/interfaces/area_of/0/value", "\"circle_area\""},
              {"modules/geometry/interfaces/area_of/1/value", "\"square_area\""},
              {"modules/geometry/interfaces/area_if", "<absent>"},
              {"modules/geometry/procedures/c_log/isInterface", "true"},
              // module procedures
              {"modules/geometry/procedures/circle_area/genericName", "\"area_of\""},
              {"modules/geometry/procedures/circle_area/attributes", "[\"pure\"]"},
              {"modules/geometry/procedures/circle_area/returnVariable/typeName", "\"real(dp)\""},
              {"modules/geometry/procedures/circle_area/arguments/0/typeName", "\"circle_t\""},
              {"modules/geometry/procedures/square_area/returnVariable/typeName", "\"real(dp)\""},
              {"modules/geometry/procedures/square_area/attributes", "[\"pure\"]"},
              {"modules/geometry/procedures/shape_describe/arguments/1/attributes",
               "[\"optional\"]"},
              {"modules/geometry/procedures/shape_describe/procedures/emit/"
               "definingProgramUnit",
               "\"shape_describe\""},
              {"modules/geometry/procedures/shape_describe/procedures/emit/"
               "arguments/0/attributes",
               "[\"intent(in)\"]"},
              {"modules/geometry/procedures/scale_shape/genericName", "\"scale\""},
              {"modules/geometry/procedures/scale_shape/definingProgramUnit", "\"geometry\""},
              {"modules/geometry/procedures/circle_free/attributes", "[\"FINAL\"]"},
              {"modules/geometry/procedures/circle_free/modulesUsed", "[]"},
              // the main program after the module
              {"nonModuleProcedures/demo/pUnitType", "4"},
              {"nonModuleProcedures/demo/modulesUsed", "[\"geometry\"]"},
              {"nonModuleProcedures/demo/variables/c/isDerivedType", "true"},
              {"nonModuleProcedures/demo/variables/total/typeName", "\"real\""},
              {"nonModuleProcedures/demo/variables/i/typeName", "\"integer\""},
          }}});

    // Dictionaries follow the source order.
    const auto file = parseFortran(QString::fromStdString(source));
    EXPECT_EQ(file->moduleNamed("geometry")->procedureNames(),
              QStringList(
                  {"area_if", "c_log", "circle_area", "square_area", "shape_describe",
                   "scale_shape", "circle_free"}));
    EXPECT_EQ(file->moduleNamed("geometry")->typeNames(), QStringList({"shape_t", "circle_t"}));
}

TEST(FFileParserRealistic, FixedFormLibrary)
{
    const std::string source = dataFile("legacy.f");
    checkParseCases(
        {{"legacy.f",
          source.c_str(),
          {
              {"nonModuleProcedures/solve/argumentList", "\"(N,A,B,X,INFO)\""},
              {"nonModuleProcedures/solve/arguments/1/typeName", "\"DOUBLE PRECISION\""},
              {"nonModuleProcedures/solve/arguments/1/attributes", "[\"DIMENSION(N,N)\"]"},
              {"nonModuleProcedures/solve/arguments/0/typeName", "\"INTEGER\""},
              {"nonModuleProcedures/solve/variables/i", "<absent>"},
              {"nonModuleProcedures/dot/pUnitType", "3"},
              {"nonModuleProcedures/dot/returnVariable/typeName", "\"real\""},
              {"nonModuleProcedures/dot/arguments/2/attributes", "[\"DIMENSION(*)\"]"},
              {"nonModuleProcedures/driver/pUnitType", "4"},
              {"nonModuleProcedures/driver/variables/dot/typeName", "\"REAL\""},
          },
          false}});
}
