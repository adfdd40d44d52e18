module m
  implicit none
contains
  subroutine s(a)
    real, intent(in) :: a
    integer :: i
    real :: x
    x = 1
    if (x == 1.0) i = 2
  end subroutine
end module
program p
  use m
  call s(1)
  call s(1.0, 2.0)
end program
