program legacy
  implicit none
  real*8 :: x
  integer :: i
  x = 1
  do 10 i = 1, 2
10 x = x + 1
  print *, x
  pause
end program
