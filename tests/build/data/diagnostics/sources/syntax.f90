program syntax
  implicit none
  integer :: n, unused
  n = 3
  total = n + 1
  print *, n +
  call foo(n, n)
end program syntax
