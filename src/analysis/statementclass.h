// The class of one Fortran statement, as the statement classifier decides it from its tokens.
#pragma once

#include <QString>

namespace corvane
{

enum class StatementClass {
    EmptyStmt,                    // no tokens
    ProgramStmt,                  // PROGRAM header
    ModuleStmt,                   // MODULE header
    FunctionStmt,                 // FUNCTION header, with any prefix
    SubroutineStmt,               // SUBROUTINE header, with any prefix
    UseStmt,                      // USE
    ContainsStmt,                 // CONTAINS
    IntrinsicTypeDeclarationStmt, // starts with an intrinsic type keyword
    TypeDeclarationStmt,          // starts with type( or class(
    TypeDefinitionStmt,           // header of a derived type definition
    TypeIsStmt,                   // TYPE IS guard of SELECT TYPE
    AttributeStmt,                // PUBLIC, SAVE, DIMENSION, ...
    InterfaceStmt,                // INTERFACE (named, generic or unnamed)
    AbstractInterfaceStmt,        // ABSTRACT INTERFACE
    ProcedureStmt,                // PROCEDURE
    EnumStmt,                     // ENUM
    EntryStmt,                    // ENTRY
    FormatStmt,                   // FORMAT
    AssociateStmt,                // ASSOCIATE
    EndStmt,                      // any END other than END MODULE
    EndModuleStmt,                // END MODULE
    OtherStmt,                    // everything else
};

// The enumerator's own name, e.g. "IntrinsicTypeDeclarationStmt".
QString statementClassName(StatementClass c);

} // namespace corvane
