module mm
  implicit none
  interface gen
     module procedure a1, a2
  end interface
contains
  subroutine a1(x)
    integer :: x
  end subroutine
  subroutine a2(y)
    integer :: y
  end subroutine
end module
