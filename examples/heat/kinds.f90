! Working precision and the constants every module of the heat example shares.
module kinds
   use, intrinsic :: iso_fortran_env, only: real64, int32
   implicit none
   private

   integer, parameter, public :: wp = real64
   integer, parameter, public :: ip = int32
   real(wp), parameter, public :: pi = 4.0_wp*atan(1.0_wp)
end module kinds
