subroutine w(a)
  implicit none
  real :: a
  integer :: unused
  real :: x
  x = a
  if (x == 1.0) print *, x
end subroutine w
