program same
  implicit none
  integer :: a(3)
  real :: b
  a = [1, 2, 3]
  b = a(1.5) + a(2.5)
  print *, b
end program
