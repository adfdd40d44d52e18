program Mixed_Case
  implicit none
  integer :: x, end_x, end2
  End do; END DO; eNd Do
  x = sqrt(2.0) + Abs(x) + real(x)
  if (a .and. b .eq. c) then
     y = obj%size + obj%len%trim
  end if
	double	precision	::	z
  call mod_end(x)
end program Mixed_Case
