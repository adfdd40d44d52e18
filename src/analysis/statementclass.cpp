#include "statementclass.h"

namespace corvane
{

QString statementClassName(StatementClass c)
{
    switch (c) {
    case StatementClass::EmptyStmt:
        return QStringLiteral("EmptyStmt");
    case StatementClass::ProgramStmt:
        return QStringLiteral("ProgramStmt");
    case StatementClass::ModuleStmt:
        return QStringLiteral("ModuleStmt");
    case StatementClass::FunctionStmt:
        return QStringLiteral("FunctionStmt");
    case StatementClass::SubroutineStmt:
        return QStringLiteral("SubroutineStmt");
    case StatementClass::UseStmt:
        return QStringLiteral("UseStmt");
    case StatementClass::ContainsStmt:
        return QStringLiteral("ContainsStmt");
    case StatementClass::IntrinsicTypeDeclarationStmt:
        return QStringLiteral("IntrinsicTypeDeclarationStmt");
    case StatementClass::TypeDeclarationStmt:
        return QStringLiteral("TypeDeclarationStmt");
    case StatementClass::TypeDefinitionStmt:
        return QStringLiteral("TypeDefinitionStmt");
    case StatementClass::TypeIsStmt:
        return QStringLiteral("TypeIsStmt");
    case StatementClass::AttributeStmt:
        return QStringLiteral("AttributeStmt");
    case StatementClass::InterfaceStmt:
        return QStringLiteral("InterfaceStmt");
    case StatementClass::AbstractInterfaceStmt:
        return QStringLiteral("AbstractInterfaceStmt");
    case StatementClass::ProcedureStmt:
        return QStringLiteral("ProcedureStmt");
    case StatementClass::EnumStmt:
        return QStringLiteral("EnumStmt");
    case StatementClass::EntryStmt:
        return QStringLiteral("EntryStmt");
    case StatementClass::FormatStmt:
        return QStringLiteral("FormatStmt");
    case StatementClass::AssociateStmt:
        return QStringLiteral("AssociateStmt");
    case StatementClass::EndStmt:
        return QStringLiteral("EndStmt");
    case StatementClass::EndModuleStmt:
        return QStringLiteral("EndModuleStmt");
    case StatementClass::OtherStmt:
        return QStringLiteral("OtherStmt");
    }
    return QStringLiteral("OtherStmt");
}

} // namespace corvane
